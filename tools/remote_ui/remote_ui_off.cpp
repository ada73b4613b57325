// The start of builds without the remote control: nothing is read, nothing
// is opened.
#include "tools/remote_ui/remote_ui.h"

namespace crvl {

void RemoteUi::StartFromEnvironment(QObject*) {}

} // namespace crvl

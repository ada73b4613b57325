#pragma once

#include <QString>

// The updater's string table and the conversion of its texts for display.
namespace upd {

inline constexpr const char* kCaption = "Corvel Update";
inline constexpr const char* kHelpText =
    "(1) Connect the Corvel to one of the COM- ports on the PC, using the cable included in the "
    "programming kit..\r\n\r\n(2) Switch on the Corvel.\r\n\r\n(3) Select the COM port either "
    "manually or by clicking the search button.\r\n\r\n(4) Select the language version.\r\n\r\n(5) "
    "Click the START button  to start the reprogramming.\r\n\r\nThe programming takes about two "
    "minutes.";
inline constexpr const char* kVersionLine = "Crvl Update - Version 1.30\r\n";
inline constexpr const char* kTransferring = "Transferring";
inline constexpr const char* kUsingCom = "Using COM";

// Texts are stored with CR LF line ends; the text widgets want LF alone.
inline QString DisplayText(const std::string& text) {
    QString s = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    s.remove(QLatin1Char('\r'));
    return s;
}

inline QString DisplayText(const char* text) {
    return DisplayText(std::string(text));
}

} // namespace upd

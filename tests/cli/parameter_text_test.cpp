// crvlctl's parameter names and values against the record bytes.

#include "config/cli/named_values.h"
#include "config/cli/parameter_text.h"

#include <gtest/gtest.h>

namespace crvl::cli {
namespace {

// Every value a parameter allows reads back as itself and touches only its
// own byte.
TEST(ParameterText, EveryAllowedValueReadsBack) {
    const std::string help = ParameterHelp();
    std::size_t checked = 0;
    for (std::size_t line = 0; line < help.size();) {
        const std::size_t eol = help.find('\n', line);
        const std::string text = help.substr(line, eol - line);
        line = eol + 1;
        const std::string name = text.substr(2, text.find(' ', 2) - 2);
        std::string values = text.substr(20) + ",";
        for (std::size_t at = 0, comma; (comma = values.find(',', at)) != std::string::npos;
             at = comma + 2) {
            const std::string value = values.substr(at, comma - at);
            ParameterRecord record;
            record.options = 0xF0;
            const Status applied = ApplyParameter(name + "=" + value, record);
            ASSERT_TRUE(applied.ok()) << applied.message();
            for (const NamedValue& shown : DescribeParameters(record)) {
                if (shown.name == name) {
                    EXPECT_EQ(shown.value, value) << name;
                }
            }
            EXPECT_EQ(record.options & 0xF0, 0xF0) << name;
            ++checked;
        }
    }
    EXPECT_EQ(checked, 8u + 13 + 2 + 4 + 8 + 7 + 7 + 8 + 16 + 2 * 3);
}

TEST(ParameterText, OptionsAreTheInverseOfTheirBits) {
    ParameterRecord record;
    ASSERT_TRUE(ApplyParameter("volume-buttons=off", record).ok());
    EXPECT_EQ(record.options, ParameterRecord::kOptionBlueButtonVolumeOff);
    ASSERT_TRUE(ApplyParameter("volume-buttons=ON", record).ok());
    EXPECT_EQ(record.options, 0);
    EXPECT_EQ(ApplyParameter("volume-buttons=maybe", record),
              Status::Error("bad value 'maybe' for volume-buttons (allowed: on, off)"));
    EXPECT_EQ(ApplyParameter("volume", record), Status::Error("'volume' is not NAME=VALUE"));
}

TEST(NamedValues, JsonKeepsNumbersAndEscapesText) {
    const NamedValues values{Value("a", "7.6"), Value("b", "03"), Value("c", "say \"hi\"\n")};
    EXPECT_EQ(FormatJson(values), "{\"a\":7.6,\"b\":\"03\",\"c\":\"say \\\"hi\\\"\\n\"}");
    EXPECT_EQ(FormatLines(values).substr(0, 14), "a = 7.6\nb = 03");
}

} // namespace
} // namespace crvl::cli

// The language table and its translation file.

#include "builder/core/builder_console.h"
#include "builder/core/builder_language.h"
#include "builder/core/builder_settings.h"
#include "builder/core/se_language.h"
#include "tests/builder_services/temp_dir.h"

#include <gtest/gtest.h>

#include <fstream>
#include <set>

namespace crvl {
namespace {

class Language : public ::testing::Test {
protected:
    void SetUp() override {
        seLanguage::restoreDefaults();
        previous_ = setConsoleSink([this](std::string_view line) { console.emplace_back(line); });
    }
    void TearDown() override {
        setConsoleSink(previous_);
        seLanguage::restoreDefaults();
    }

    // Writes inits/seTranslator.ini under a fresh base and translates from it.
    void translate(std::string_view contents) {
        tmp.write("inits/seTranslator.ini", contents);
        seLanguage::translateText(tmp.location());
    }

    test::TempDir tmp;
    std::vector<std::string> console;

private:
    ConsoleSink previous_;
};

TEST_F(Language, TableHoldsEveryKeyOnceWithItsDefault) {
    const auto& keys = seLanguage::keys();
    ASSERT_GE(keys.size(), seLanguage::ORIGINAL_KEY_COUNT);
    EXPECT_EQ(keys[seLanguage::ORIGINAL_KEY_COUNT - 1], "helpClose"); // the last original key
    EXPECT_EQ(std::set<std::string>(keys.begin(), keys.end()).size(), keys.size());
    EXPECT_EQ(seLanguage::menuFile, "File");
    EXPECT_EQ(seLanguage::labelCancelText, "CANCEL");
    EXPECT_EQ(seLanguage::radioCPRaccumulatedText, "CPR perfomed (accumulated) for");
    EXPECT_EQ(seLanguage::CPRaccumulatedText, "CPR ");
    EXPECT_EQ(seLanguage::numOfFramesLimitText, "Can not have more than 20 frames in a scenario.");
    EXPECT_EQ(seLanguage::helpClose, "Close");
    EXPECT_EQ(*seLanguage::text("frameNameText"), "Name = ");
    EXPECT_EQ(seLanguage::text("MenuFile"), nullptr);
    EXPECT_TRUE(seLanguage::lastECGAttributes.empty());
    EXPECT_EQ(seLanguage::TRANSLATOR_NAME, "inits/seTranslator.ini");
    EXPECT_EQ(seLanguage::NAME_STARTFRAME, "Frame0");
    EXPECT_EQ(seLanguage::READ_OK_ACTION, "ReadOk");
}

TEST_F(Language, NoFileKeepsDefaultsAndSaysSo) {
    seLanguage::translateText(tmp.location());
    EXPECT_EQ(seLanguage::menuFile, "File");
    EXPECT_EQ(Parameters::ENCODING, "Cp1252");
    ASSERT_EQ(console.size(), 2u);
    EXPECT_EQ(console[0], tmp.location() + "inits/seTranslator.ini");
    EXPECT_EQ(console[1].rfind("seLanguage.seTranslator: IOException on open input file ", 0), 0u);
}

TEST_F(Language, ForeignLocationCannotBeOpened) {
    seLanguage::translateText("http://example.invalid/");
    ASSERT_EQ(console.size(), 2u);
    EXPECT_EQ(console[1], "seLanguage.seTranslator: Cannot open url; unknown protocol: http");
    EXPECT_EQ(seLanguage::menuFile, "File");
}

TEST_F(Language, PlainDirectoryAsBase) {
    tmp.write("inits/seTranslator.ini", "\"menuFile\" \"Datei\"\n");
    seLanguage::translateText(tmp.dir());
    EXPECT_EQ(seLanguage::menuFile, "Datei");
}

TEST_F(Language, EncodingAfterATabIsUsed) {
    translate("ENCODING\tUTF-8\r\n\"menuFile\" \"Gr\xC3\xB6\xC3\x9F\x65\"\r\n");
    EXPECT_EQ(Parameters::ENCODING, "UTF-8");
    EXPECT_EQ(seLanguage::menuFile, "Gr\u00F6\u00DF"
                                    "e");
    EXPECT_EQ(console.back(), "Encoding = UTF-8");
}

TEST_F(Language, EncodingAfterASpaceIsOneWordAndIgnored) {
    translate("ENCODING UTF-8\r\n\"menuFile\" \"Gr\xC3\xB6\xC3\x9F\x65\"\r\n");
    EXPECT_EQ(Parameters::ENCODING, "Cp1252");
    // Decoded as Windows-1252, each UTF-8 byte is its own character.
    EXPECT_EQ(seLanguage::menuFile, "Gr\u00C3\u00B6\u00C3\u0178e");
}

TEST_F(Language, EncodingOnTheNextLineOrQuoted) {
    translate("ENCODING\n\"ISO-8859-1\"\n\"menuFile\" \"\x80\"\n");
    EXPECT_EQ(Parameters::ENCODING, "ISO-8859-1");
    EXPECT_EQ(seLanguage::menuFile, "\u0080");
}

TEST_F(Language, ByteOrderMarkBeforeTheEncodingLine) {
    translate("\xEF\xBB\xBF"
              "ENCODING\tUTF-8\n\"menuFile\" \"\xE2\x82\xAC\"\n");
    EXPECT_EQ(Parameters::ENCODING, "UTF-8");
    EXPECT_EQ(seLanguage::menuFile, "\u20AC");
}

TEST_F(Language, EncodingAloneMeansCp1252) {
    Parameters::ENCODING = "UTF-8";
    translate("ENCODING");
    EXPECT_EQ(Parameters::ENCODING, "Cp1252");
    EXPECT_EQ(console.back(), "Encoding = Cp1252");
}

TEST_F(Language, WithoutEncodingLineTheEncodingStays) {
    translate("// comment\n\"menuFile\" \"\x80\"\n");
    EXPECT_EQ(Parameters::ENCODING, "Cp1252");
    EXPECT_EQ(seLanguage::menuFile, "\u20AC");
}

TEST_F(Language, UnknownEncodingKeepsCp1252AndSaysSo) {
    translate("ENCODING\tKOI8-R\n\"menuFile\" \"\x80\"\n");
    EXPECT_EQ(Parameters::ENCODING, "Cp1252");
    EXPECT_EQ(seLanguage::menuFile, "\u20AC");
    ASSERT_GE(console.size(), 3u);
    EXPECT_EQ(console[1], "Encoding = KOI8-R");
    EXPECT_NE(console[2].find("KOI8-R"), std::string::npos);
}

TEST_F(Language, NumberAsEncodingNameIsUnknown) {
    translate("ENCODING\t1252\n\"menuFile\" \"x\"\n");
    EXPECT_EQ(Parameters::ENCODING, "Cp1252");
    EXPECT_EQ(seLanguage::menuFile, "x");
}

TEST_F(Language, MisspelledKeyIsIgnored) {
    translate("\"MenuFile\" \"Datei\"\n\"menuHelp\" \"Hilfe\"\n");
    EXPECT_EQ(seLanguage::menuFile, "File");
    EXPECT_EQ(seLanguage::menuHelp, "Hilfe");
}

TEST_F(Language, ThreeQuotedStringsUseTheFirstTwo) {
    translate("\"menuFile\" \"Datei\" \"extra\"\n\"menuHelp\"\t\"Hilfe\"  // note\n");
    EXPECT_EQ(seLanguage::menuFile, "Datei");
    EXPECT_EQ(seLanguage::menuHelp, "Hilfe");
}

TEST_F(Language, EscapesInsideQuotedText) {
    translate(R"("menuFile" "a\tb"
"menuHelp" "\a\b\f\n\r\v\"\\\q"
"yesText" "\101\1010\401\0\7x"
)");
    EXPECT_EQ(seLanguage::menuFile, "a\tb");
    EXPECT_EQ(seLanguage::menuHelp, "\a\b\f\n\r\v\"\\q");
    // \101 is 'A'; \1010 is 'A' then '0'; \401 takes two digits (' ') then '1'.
    EXPECT_EQ(seLanguage::yesText, std::string("AA0 1\0\ax", 8));
}

TEST_F(Language, MissingClosingQuoteTakesTheRestOfTheLine) {
    translate("\"menuFile\" \"Datei und mehr\r\n\"menuHelp\" \"Hilfe\"\r\n");
    EXPECT_EQ(seLanguage::menuFile, "Datei und mehr");
    EXPECT_EQ(seLanguage::menuHelp, "Hilfe");
}

TEST_F(Language, LaterLineWinsAndEmptyTextIsATextToo) {
    translate("\"menuFile\" \"Eins\"\n\"menuFile\" \"Zwei\"\n\"menuHelp\" \"\"\n");
    EXPECT_EQ(seLanguage::menuFile, "Zwei");
    EXPECT_EQ(seLanguage::menuHelp, "");
}

TEST_F(Language, SpoiledLinesCountForNothing) {
    translate("\"menuFile\" = \"Datei\"\n" // '=' is a word
              "menuHelp \"Hilfe\"\n"       // a word first
              "\"yesText\"\n\"Ja\"\n"      // the text on the next line
              "\"noText\" 12 \"Nein\"\n"   // a number second
              "\"labelOkText\" \"Gut\"\n");
    EXPECT_EQ(seLanguage::menuFile, "File");
    EXPECT_EQ(seLanguage::menuHelp, "Help");
    EXPECT_EQ(seLanguage::yesText, "Yes");
    EXPECT_EQ(seLanguage::noText, "No");
    EXPECT_EQ(seLanguage::labelOkText, "Gut");
}

TEST_F(Language, LineEndsOfEveryKind) {
    translate("\"menuFile\" \"A\"\r\"menuHelp\" \"B\"\n\r\"yesText\" \"C\"\r\n\"noText\" \"D\"");
    EXPECT_EQ(seLanguage::menuFile, "A");
    EXPECT_EQ(seLanguage::menuHelp, "B");
    EXPECT_EQ(seLanguage::yesText, "C");
    EXPECT_EQ(seLanguage::noText, "D");
}

// The locale picks the language file when one ships for it; English else.
TEST_F(Language, LocaleChoosesTheLanguageFileThatShips) {
    tmp.write("inits/seTranslator.ini", "\"menuFile\" \"File\"\n");
    tmp.write("inits/seTranslator.de.ini", "\"menuFile\" \"Datei\"\n");
    struct Case {
        const char *lcAll, *lcMessages, *lang;
        const char* chosen;
    };
    const Case cases[] = {
        {nullptr, nullptr, "de_DE.UTF-8", "de"}, {nullptr, "de_AT", "en_GB.UTF-8", "de"},
        {"C", "de_DE", "de_DE", "en"},           {"", "", "de", "de"},
        {nullptr, nullptr, "fr_FR.UTF-8", "en"}, {nullptr, nullptr, nullptr, "en"},
        {nullptr, nullptr, "POSIX", "en"},
    };
    for (const Case& c : cases) {
        seLanguage::restoreDefaults();
        seLanguage::chooseLanguage(tmp.location(),
                                   languageFromEnvironment(c.lcAll, c.lcMessages, c.lang));
        seLanguage::translateText(tmp.location());
        EXPECT_EQ(seLanguage::language(), c.chosen) << (c.lang ? c.lang : "-");
        EXPECT_EQ(seLanguage::menuFile, std::string(c.chosen) == "de" ? "Datei" : "File");
    }
    EXPECT_EQ(englishHelpPath("/x/help/de/tools.html"), "/x/help/tools.html");
    EXPECT_EQ(englishHelpPath("/x/help/de/images/p.png"), "/x/help/images/p.png");
    EXPECT_EQ(englishHelpPath("/x/help/tools.html"), "");
}

TEST_F(Language, ShippedFilesNameEveryKey) {
    for (const char* name : {"seTranslator.ini", "seTranslator.de.ini"}) {
        seLanguage::restoreDefaults();
        // Mark every text so that a key the file leaves out shows.
        for (const std::string& key : seLanguage::keys()) {
            const_cast<std::string&>(*seLanguage::text(key)) = "<unset>";
        }
        std::ifstream in(std::string(CRVL_SOURCE_DIR) + "/builder/data/inits/" + name,
                         std::ios::binary);
        ASSERT_TRUE(in) << name;
        const std::string bytes((std::istreambuf_iterator<char>(in)),
                                std::istreambuf_iterator<char>());
        seLanguage::translateBytes(bytes);
        EXPECT_EQ(Parameters::ENCODING, "Cp1252") << name;
        for (const std::string& key : seLanguage::keys()) {
            EXPECT_NE(*seLanguage::text(key), "<unset>") << name << ": " << key;
            if (std::string(name) == "seTranslator.ini") {
                EXPECT_EQ(*seLanguage::text(key), seLanguage::defaultText(key)) << key;
            }
        }
    }
    EXPECT_EQ(seLanguage::menuFile, "Datei");
    EXPECT_EQ(seLanguage::menuItemExit, "Beenden");
}

TEST_F(Language, EveryAddedKeyIsDocumented) {
    std::ifstream in(std::string(CRVL_SOURCE_DIR) + "/docs/language-file.md");
    ASSERT_TRUE(in);
    const std::string doc((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::size_t added = doc.find("## Keys beyond the original table");
    ASSERT_NE(added, std::string::npos);
    const auto& keys = seLanguage::keys();
    for (std::size_t i = seLanguage::ORIGINAL_KEY_COUNT; i < keys.size(); ++i) {
        EXPECT_NE(doc.find("| `" + keys[i] + "` |", added), std::string::npos) << keys[i];
    }
}

} // namespace
} // namespace crvl

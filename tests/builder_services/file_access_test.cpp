// The file access layer: read handles, line splitting, listing, creating
// directories, and the line writer.

#include "builder/core/builder_settings.h"
#include "builder/core/char_file_writer.h"
#include "builder/core/tcl_control.h"
#include "tests/builder_services/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

namespace crvl {
namespace {

namespace fs = std::filesystem;

// Every line of a file the way the loader reads it: readLine while not eof.
std::vector<std::string> readAll(TclControl& tcl, const std::string& handle) {
    std::vector<std::string> lines;
    while (!tcl.eof(handle)) {
        if (auto line = tcl.readLine(handle)) {
            lines.push_back(*line);
        } else {
            lines.push_back("<none>");
        }
    }
    return lines;
}

class FileAccess : public ::testing::Test {
protected:
    test::TempDir tmp;
    TclControl tcl{tmp.location()};
};

TEST_F(FileAccess, HandlesCountUpAndAreNeverReused) {
    tmp.write("a.txt", "x");
    const TclHandle first = tcl.openRead("a.txt");
    const TclHandle second = tcl.openRead("a.txt");
    ASSERT_TRUE(first && second);
    EXPECT_EQ(first->substr(0, 2), "in");
    EXPECT_EQ(std::stoi(second->substr(2)), std::stoi(first->substr(2)) + 1);
    tcl.close(*first);
    tcl.close(*first); // closing twice is ignored
    const TclHandle third = tcl.openRead("a.txt");
    EXPECT_NE(*third, *first);
    EXPECT_EQ(tcl.openCount(), 2u);

    // A second object shares the program-wide counter.
    TclControl other(tmp.location());
    const TclHandle fourth = other.openRead("a.txt");
    EXPECT_EQ(std::stoi(fourth->substr(2)), std::stoi(third->substr(2)) + 1);
}

TEST_F(FileAccess, OpenFailuresGiveNoHandle) {
    EXPECT_FALSE(tcl.openRead("missing.scn"));
    EXPECT_FALSE(tcl.openReadPath("missing.scn", tmp.dir()));
    fs::create_directory(tmp.dir() + "sub");
    EXPECT_FALSE(tcl.openRead("sub")); // a directory is not a text file
    EXPECT_EQ(tcl.openCount(), 0u);
}

TEST_F(FileAccess, OpenReadPathTurnsBackslashesIntoSlashes) {
    tmp.write("scenarios/Default.scn", "# Comment\r\n");
    std::string windowsStyle = tmp.dir() + "scenarios\\";
    const TclHandle h = tcl.openReadPath("Default.scn", windowsStyle);
    ASSERT_TRUE(h);
    EXPECT_EQ(tcl.readLine(*h), "# Comment");
}

TEST_F(FileAccess, EmptyLineAndCrLfLineEnds) {
    tmp.write("t.txt", "a\r\n\r\nb\r\n");
    const TclHandle h = tcl.openRead("t.txt");
    ASSERT_TRUE(h);
    // The final line end keeps eof false once; that readLine returns none.
    EXPECT_EQ(readAll(tcl, *h), (std::vector<std::string>{"a", "b", "<none>"}));
    EXPECT_TRUE(tcl.eof(*h));
}

TEST_F(FileAccess, LastLineWithoutLineEnd) {
    tmp.write("t.txt", "first\nlast");
    const TclHandle h = tcl.openRead("t.txt");
    EXPECT_EQ(readAll(tcl, *h), (std::vector<std::string>{"first", "last"}));
}

TEST_F(FileAccess, ControlCharacterSplitsALineTabDoesNot) {
    tmp.write("t.txt", std::string("one\x01two\tthree\x1Fx\0y\r", 18));
    const TclHandle h = tcl.openRead("t.txt");
    EXPECT_EQ(readAll(tcl, *h),
              (std::vector<std::string>{"one", "two\tthree", "x", "y", "<none>"}));
}

TEST_F(FileAccess, EmptyFileAndUnknownHandles) {
    tmp.write("empty.txt", "");
    const TclHandle h = tcl.openRead("empty.txt");
    ASSERT_TRUE(h);
    EXPECT_TRUE(tcl.eof(*h));
    EXPECT_FALSE(tcl.readLine(*h));
    EXPECT_TRUE(tcl.eof("in999999"));
    EXPECT_FALSE(tcl.readLine("in999999"));
    tcl.close(*h);
    EXPECT_TRUE(tcl.eof(*h));
}

TEST_F(FileAccess, ExistAndMkdir) {
    EXPECT_FALSE(tcl.exist("scenarios/"));
    EXPECT_TRUE(tcl.mkdir("scenarios/"));
    EXPECT_TRUE(tcl.exist("scenarios/"));
    EXPECT_TRUE(fs::is_directory(tmp.dir() + "scenarios"));
    EXPECT_FALSE(tcl.mkdir("scenarios/"));
    EXPECT_FALSE(tcl.mkdir("noslash"));
    EXPECT_FALSE(fs::exists(tmp.dir() + "noslash"));
    // Every level is created in order; the result is the last one's.
    EXPECT_TRUE(tcl.mkdir("a/b/c/"));
    EXPECT_TRUE(fs::is_directory(tmp.dir() + "a/b/c"));
    EXPECT_TRUE(tcl.mkdir("a/b/d/"));
    tmp.write("f.txt", "x");
    EXPECT_TRUE(tcl.exist("f.txt"));
}

// A Windows user's folders have spaces and letters beyond ASCII ("Jürgen
// Müller"): the builder's names are UTF-8 and must reach the system whole.
TEST_F(FileAccess, NamesWithSpacesAndUmlautsSaveListAndOpen) {
    const std::string folder = "J\xC3\xBCrgen M\xC3\xBCller/";
    const std::string name = "\xC3\x9C"
                             "bung 1.scn";
    EXPECT_TRUE(tcl.mkdir(folder));
    CharFileWriter writer(tmp.dir() + folder);
    ASSERT_TRUE(writer.openWrite(name));
    EXPECT_TRUE(writer.writeLine("# Comment"));
    ASSERT_TRUE(writer.closeFile());
    EXPECT_EQ(tcl.dir(folder, "*.scn"), name);
    EXPECT_TRUE(tcl.exist(folder + name));
    const TclHandle h = tcl.openRead(folder + name);
    ASSERT_TRUE(h);
    EXPECT_EQ(tcl.readLine(*h), "# Comment");
}

TEST_F(FileAccess, DirOnMissingAndEmptyDirectories) {
    EXPECT_EQ(tcl.dir("scenarios/", "*.scn"), "");
    fs::create_directory(tmp.dir() + "scenarios");
    EXPECT_EQ(tcl.dir("scenarios/", "*.scn"), "");
}

TEST_F(FileAccess, DirMatchesWildcardsIgnoringCase) {
    for (const char* name : {"one.scn", "Two.SCN", "three.scn.bak", "four.txt", "x.scn"}) {
        tmp.write(std::string("scenarios/") + name, "");
    }
    const std::string listed = tcl.dir("scenarios/", "*.scn");
    std::set<std::string> names;
    std::size_t start = 0;
    for (std::size_t end; (end = listed.find(';', start)) != std::string::npos; start = end + 1) {
        names.insert(listed.substr(start, end - start));
    }
    names.insert(listed.substr(start));
    EXPECT_EQ(names, (std::set<std::string>{"one.scn", "Two.SCN", "x.scn"}));
    EXPECT_EQ(tcl.dir("scenarios/", "?.scn"), "x.scn");
}

TEST(Wildcard, Patterns) {
    EXPECT_TRUE(wildcardMatch("*", ""));
    EXPECT_TRUE(wildcardMatch("*.scn", ".scn"));
    EXPECT_TRUE(wildcardMatch("a*b*c", "aXXbYYbc"));
    EXPECT_FALSE(wildcardMatch("a*b*c", "aXXbYY"));
    EXPECT_TRUE(wildcardMatch("?\u00E9*", "x\u00C9t\u00E9"));
    EXPECT_FALSE(wildcardMatch("??", "\u00E9")); // one character, two bytes
    EXPECT_FALSE(wildcardMatch("", "a"));
    EXPECT_TRUE(wildcardMatch("**?", "a"));
}

class Writer : public ::testing::Test {
protected:
    void TearDown() override { Parameters::ENCODING = "Cp1252"; }
    test::TempDir tmp;
};

TEST_F(Writer, WritesCrLfLinesAndReportsState) {
    CharFileWriter w(tmp.dir());
    EXPECT_FALSE(w.writeLine("not open"));
    EXPECT_FALSE(w.closeFile());
    ASSERT_TRUE(w.openWrite("out.scn"));
    EXPECT_TRUE(w.writeLine("# one"));
    EXPECT_TRUE(w.writeString("two"));
    EXPECT_TRUE(w.writeString(" parts"));
    EXPECT_TRUE(w.newLine());
    EXPECT_TRUE(w.writeLine(""));
    EXPECT_TRUE(w.closeFile());
    EXPECT_FALSE(w.closeFile());
    EXPECT_FALSE(w.writeString("after close"));
    EXPECT_EQ(tmp.read("out.scn"), "# one\r\ntwo parts\r\n\r\n");

    // Opening again empties the file.
    ASSERT_TRUE(w.openWrite("out.scn"));
    EXPECT_TRUE(w.closeFile());
    EXPECT_EQ(tmp.read("out.scn"), "");
}

TEST_F(Writer, FilePrefixIsRemovedOnce) {
    // The generator's form: "file://" + directory names "/" + directory.
    CharFileWriter generator("file://" + tmp.dir());
    ASSERT_TRUE(generator.openWrite("g.scn"));
#if defined(_WIN32)
    // "/C:/dir/" names "C:/dir/" on Windows.
    EXPECT_EQ(generator.path(), tmp.dir() + "g.scn");
#else
    EXPECT_EQ(generator.path(), "/" + tmp.dir() + "g.scn");
#endif
    EXPECT_TRUE(generator.closeFile());
    EXPECT_TRUE(fs::exists(tmp.dir() + "g.scn"));

    CharFileWriter located(tmp.location());
    ASSERT_TRUE(located.openWrite("l.scn"));
    EXPECT_EQ(located.path(), tmp.dir() + "l.scn");
    ASSERT_TRUE(located.openWrite("m.scn"));
    EXPECT_EQ(located.path(), tmp.dir() + "m.scn");
}

TEST_F(Writer, OpenFailures) {
    CharFileWriter w(tmp.dir() + "no/such/dir/");
    EXPECT_FALSE(w.openWrite("x.scn"));
    EXPECT_FALSE(w.writeLine("x"));
    fs::create_directory(tmp.dir() + "adir");
    CharFileWriter d(tmp.dir());
    EXPECT_FALSE(d.openWrite("adir"));
}

TEST_F(Writer, Cp1252SurvivesWriteAndReadByteForByte) {
    const std::string text = "Temperatur 37\u00B0C \u00E0\u00E9\u00EE\u00F5\u00FC\u00C4\u00D6"
                             "\u00DF \u20AC \u201Eq\u201C";
    CharFileWriter w(tmp.location());
    ASSERT_TRUE(w.openWrite("c.scn"));
    ASSERT_TRUE(w.writeLine(text));
    ASSERT_TRUE(w.closeFile());
    EXPECT_EQ(tmp.read("c.scn"), "Temperatur 37\xB0"
                                 "C \xE0\xE9\xEE\xF5\xFC\xC4\xD6\xDF \x80 \x84q\x93\r\n");

    TclControl tcl(tmp.location());
    const TclHandle h = tcl.openRead("c.scn");
    EXPECT_EQ(tcl.readLine(*h), text);

    // And back out again: the same bytes.
    ASSERT_TRUE(w.openWrite("d.scn"));
    ASSERT_TRUE(w.writeLine(text));
    ASSERT_TRUE(w.closeFile());
    EXPECT_EQ(tmp.read("d.scn"), tmp.read("c.scn"));
}

TEST_F(Writer, EncodingFollowsParameters) {
    Parameters::ENCODING = "UTF-8";
    CharFileWriter w(tmp.dir());
    ASSERT_TRUE(w.openWrite("u.txt"));
    ASSERT_TRUE(w.writeString("\u20AC"));
    ASSERT_TRUE(w.closeFile());
    EXPECT_EQ(tmp.read("u.txt"), "\xE2\x82\xAC");
    TclControl tcl(tmp.dir());
    EXPECT_EQ(tcl.readLine(*tcl.openRead("u.txt")), "\u20AC");

    Parameters::ENCODING = "ISO-8859-1";
    ASSERT_TRUE(w.openWrite("l.txt"));
    ASSERT_TRUE(w.writeString("\u00E9\u20AC"));
    ASSERT_TRUE(w.closeFile());
    EXPECT_EQ(tmp.read("l.txt"), "\xE9?");
}

TEST_F(FileAccess, InterleavedReadersKeepTheHandleListConsistent) {
    // Only the builder's window thread reads files; several handles open at
    // once each keep their own place, and closing them empties the list.
    std::string body;
    for (int i = 0; i < 50; ++i) {
        body += "line " + std::to_string(i) + "\r\n";
    }
    tmp.write("c.txt", body);
    int linesRead = 0;
    for (int round = 0; round < 20; ++round) {
        std::vector<std::string> handles;
        for (int reader = 0; reader < 4; ++reader) {
            const TclHandle h = tcl.openRead("c.txt");
            ASSERT_TRUE(h.has_value());
            handles.push_back(*h);
        }
        EXPECT_EQ(tcl.openCount(), 4u);
        for (bool more = true; more;) {
            more = false;
            for (const std::string& h : handles) {
                if (tcl.eof(h)) {
                    continue;
                }
                more = true;
                if (const auto line = tcl.readLine(h)) {
                    EXPECT_EQ(*line, "line " + std::to_string(linesRead / 4 % 50));
                    ++linesRead;
                }
            }
        }
        for (const std::string& h : handles) {
            tcl.close(h);
        }
        tcl.dir("", "*.txt");
    }
    EXPECT_EQ(linesRead, 4 * 20 * 50);
    EXPECT_EQ(tcl.openCount(), 0u);
}

} // namespace
} // namespace crvl

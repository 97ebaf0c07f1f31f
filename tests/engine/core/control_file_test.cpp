#include "control_file.h"
#include "recording_reporter.h"
#include "settings.h"

#include <test_support.h>

#include <gtest/gtest.h>

#include <filesystem>

using namespace kestle;
namespace fs = std::filesystem;

namespace {

// Include lines name files relative to the current directory, so each test runs in its own.
class ControlFileTest : public ::testing::Test {
protected:
    ControlFileTest() : saved_(fs::current_path()) { fs::current_path(dir.path()); }
    ~ControlFileTest() override { fs::current_path(saved_); }

    ControlLoad load(const std::string &text, const std::string &name = "kestle.sql") {
        kestle_test::write_text(dir / name, text);
        return read(name);
    }
    ControlLoad read(const std::string &name) {
        r.shown.clear();
        return read_control_file(cf, s, r, name);
    }
    const stmt_rec &rec(int n) const { return cf.record(n); }

    kestle_test::TempDir dir;
    Settings s;
    ControlFile cf;
    RecordingReporter r;

private:
    fs::path saved_;
};

const ShownMsg loaded(const std::string &name) { return {0, 0, 23, name, "readops"}; }
const ShownMsg not_found(const std::string &name) { return {0, -1, 22, name, "readops"}; }
const ShownMsg too_deep{1, -1, 0, "Include file maximum exceeded (10)", "readops"};

} // namespace

TEST_F(ControlFileTest, HeaderLines) {
    struct Case {
        const char *line;
        int kind;
        const char *title, *file;
    } cases[] = {
        {":sql [pic.bmp] Select all", 2, "Select all", ""}, // file kept for screens only
        {":screen [slide1.jpg] First slide", 5, "First slide", "slide1.jpg"},
        {":screen dropped [ a b.jpg ]   after  ", 5, "after", "a b.jpg"},
        {":SQL Title", -1, "[Unknown tag: SQL] Title", ""},
        {":section", 1, "", ""},
        {":section   Spaced title  ", 1, "Spaced title", ""},
        {":info lead [ no close", 3, "lead [ no close", ""},
        {":screen ] x [y", 5, "] x [y", ""},
        {":examples Ex", 4, "Ex", ""},
        {":", -1, "[Unknown tag: ] ", ""},
        {":sql\tx", -1, "[Unknown tag: sql\tx] ", ""}, // only a blank ends the tag
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.line);
        ControlLoad l = load(std::string(c.line) + "\n");
        ASSERT_EQ(l.count, 1);
        EXPECT_EQ(rec(1).kind, c.kind);
        EXPECT_EQ(rec(1).title, c.title);
        EXPECT_EQ(rec(1).file, c.file);
        ASSERT_EQ(l.nodes.size(), 1u);
        EXPECT_EQ(l.nodes[0].text, c.title);
        EXPECT_EQ(l.nodes[0].tag, " 1");
    }
}

TEST_F(ControlFileTest, BodyLinesNotesAndStatements) {
    ControlLoad l = load("ignored before any record\n"
                         "{\n"
                         ":section One\n"
                         "\n"
                         "{ opening text is dropped\n"
                         "   first note   \n"
                         "\n"
                         "<b>second</b>\n"
                         "} closing text too\n"
                         "\n"
                         "  select *\n"
                         "\tfrom t where c = '{'\n"
                         ":* a comment does not split the statement\n"
                         "  where 1=1\n"
                         "\n"
                         ":sql Two\n"
                         "{\n"
                         "unclosed note\n"
                         ":info Three\n"
                         " :not a header\n"
                         "}\n"
                         "after the brace\n");
    ASSERT_EQ(l.count, 3);
    EXPECT_EQ(rec(1).info, "first note\r\n\r\n<b>second</b>");
    EXPECT_EQ(rec(1).sql, "  select *\r\n  where 1=1\r\n"); // the brace line is lost
    EXPECT_EQ(rec(2).info, "unclosed note");
    EXPECT_EQ(rec(2).sql, "");
    EXPECT_EQ(rec(3).sql, " :not a header\r\nafter the brace");
    EXPECT_EQ(rec(3).info, "");
    EXPECT_TRUE(l.visible);
    EXPECT_EQ(r.shown, std::vector<ShownMsg>{loaded("kestle.sql")});
}

TEST_F(ControlFileTest, TreeNodesFollowSectionsAndGroups) {
    ControlLoad l = load(":sql Before any section\n"
                         ":section S1\n"
                         ":sql A\n"
                         ":examples E1\n"
                         ":info B\n"
                         ":examples E2\n"
                         ":screen C\n"
                         ":section S2\n"
                         ":bogus D\n");
    struct Node {
        const char *text, *tag;
        int parent;
    } expect[] = {
        {"Before any section", " 1", -1}, {"S1", " 2", -1}, {"A", " 3", 1}, {"E1", " 4", 1},
        {"B", " 5", 3}, {"E2", " 6", 1}, {"C", " 7", 5}, {"S2", " 8", -1},
        {"[Unknown tag: bogus] D", " 9", 7},
    };
    ASSERT_EQ(l.nodes.size(), std::size(expect));
    for (std::size_t i = 0; i < l.nodes.size(); ++i) {
        EXPECT_EQ(l.nodes[i].text, expect[i].text) << i;
        EXPECT_EQ(l.nodes[i].tag, expect[i].tag) << i;
        EXPECT_EQ(l.nodes[i].parent, expect[i].parent) << i;
    }
}

TEST_F(ControlFileTest, LineEndsLfCrLfAndLoneCr) {
    const std::string expect_sql = "select 1\r\nfrom t";
    for (const char *eol : {"\n", "\r\n", "\r"}) {
        std::string e = eol;
        ControlLoad l = load(":sql A" + e + "{" + e + "note" + e + "}" + e + "select 1" + e + "from t" + e +
                             ":sql B" + e + "x");
        ASSERT_EQ(l.count, 2) << int(e.back());
        EXPECT_EQ(rec(1).sql, expect_sql);
        EXPECT_EQ(rec(1).info, "note");
        EXPECT_EQ(rec(2).sql, "x"); // last line without a line end
    }
    // Mixed ends, and a CR LF split across the reader's 64 KiB buffer.
    std::string big(64 * 1024 - 8, 'a');
    ControlLoad l = load(":sql A\r" + big + "\r\nb\rc\n\nd");
    ASSERT_EQ(l.count, 1);
    EXPECT_EQ(rec(1).sql, big + "\r\nb\r\nc\r\n\r\nd");
}

TEST_F(ControlFileTest, ByteOrderMarkOpensNoText) {
    const std::string bom = "\xEF\xBB\xBF";
    kestle_test::write_text(dir / "part.sql", bom + ":sql B\n" + bom + "x\n");
    ControlLoad l = load(bom + ":section A\n:include part.sql\n");
    ASSERT_EQ(l.count, 2);
    EXPECT_EQ(rec(1).title, "A");
    EXPECT_EQ(rec(2).title, "B");
    EXPECT_EQ(rec(2).sql, bom + "x"); // only at the start of a file
    EXPECT_EQ(load(bom).count, 0);
}

TEST_F(ControlFileTest, IncludesShareTheCurrentRecordAndNotesMode) {
    kestle_test::write_text(dir / "part.sql", "more of A\n{\nnote from include\n");
    ControlLoad l = load(":sql A\nfirst\n:include  part.sql  \nstill a note\n}\nlast\n:sql B\n");
    ASSERT_EQ(l.count, 2);
    EXPECT_EQ(rec(1).sql, "first\r\nmore of A\r\nlast");
    EXPECT_EQ(rec(1).info, "note from include\r\nstill a note");
    EXPECT_TRUE(l.visible);
}

TEST_F(ControlFileTest, NineNestedIncludesLoadTenFail) {
    // level1.sql includes level2.sql ... each adds one record.
    auto chain = [&](int files) {
        for (int i = 1; i <= files; ++i) {
            std::string text = ":sql R" + std::to_string(i) + "\n";
            if (i < files)
                text += ":include level" + std::to_string(i + 1) + ".sql\n";
            kestle_test::write_text(dir / ("level" + std::to_string(i) + ".sql"), text);
        }
        return read("level1.sql");
    };
    ControlLoad ten = chain(10);
    EXPECT_EQ(ten.count, 10);
    EXPECT_TRUE(ten.visible);
    EXPECT_EQ(r.shown, std::vector<ShownMsg>{loaded("level1.sql")});

    ControlLoad eleven = chain(11);
    EXPECT_EQ(eleven.count, 0);
    EXPECT_FALSE(eleven.visible);
    EXPECT_EQ(cf.stmt_count, 10); // what was read stays
    EXPECT_EQ(eleven.nodes.size(), 10u);
    EXPECT_EQ(r.shown, std::vector<ShownMsg>{too_deep});
}

TEST_F(ControlFileTest, SelfIncludeStopsAtTheLimit) {
    ControlLoad l = load(":sql again\n:include kestle.sql\n");
    EXPECT_EQ(l.count, 0);
    EXPECT_EQ(cf.stmt_count, 10);
    EXPECT_EQ(r.shown, std::vector<ShownMsg>{too_deep});
}

TEST_F(ControlFileTest, MissingFiles) {
    load(":sql old\n");
    ControlLoad l = read("  nothere.sql ");
    EXPECT_EQ(l.count, 0);
    EXPECT_EQ(cf.stmt_count, 1); // the previous presentation stays
    EXPECT_EQ(cf.record(1).title, "old");
    EXPECT_FALSE(l.opened);
    EXPECT_FALSE(l.visible);
    EXPECT_EQ(r.shown, std::vector<ShownMsg>{not_found("nothere.sql")});

    l = read("");
    EXPECT_EQ(r.shown, std::vector<ShownMsg>{not_found("")});

    fs::create_directory(dir / "adir");
    l = read("adir"); // a directory is no control file
    EXPECT_EQ(r.shown, std::vector<ShownMsg>{not_found("adir")});

    // A NUL ends the name for the system; such a name must not open the file before it.
    l = load(std::string(":sql A\n:include kestle.sql\0x\n", 29));
    EXPECT_EQ(l.count, 0);
    EXPECT_EQ(r.shown, std::vector<ShownMsg>{not_found(std::string("kestle.sql\0x", 12))});

    l = load(":sql A\n:include gone.sql\n:sql B\n");
    EXPECT_EQ(l.count, 0);
    EXPECT_EQ(cf.stmt_count, 1);
    EXPECT_FALSE(l.visible);
    EXPECT_EQ(r.shown, std::vector<ShownMsg>{not_found("gone.sql")});
}

TEST_F(ControlFileTest, EmptyFileLoadsNoRecords) {
    kestle_test::write_text(dir / "kestle.sql", "");
    ControlLoad l = read("  kestle.sql");
    EXPECT_EQ(l.count, 0);
    EXPECT_TRUE(l.nodes.empty());
    EXPECT_TRUE(l.visible);
    EXPECT_EQ(r.shown, std::vector<ShownMsg>{loaded("  kestle.sql")}); // the name as passed
}

TEST_F(ControlFileTest, ManyRecordsLongLinesAndBinaryBytesAreKept) {
    std::string text;
    for (int i = 1; i <= 5000; ++i)
        text += ":sql R" + std::to_string(i) + "\nselect " + std::to_string(i) + "\n";
    const std::string megabyte(1 << 20, 'x');
    const std::string binary("a\0b\xff\xfe\xc3(", 7);
    text += ":sql Long\n" + megabyte + "\n" + binary + "\n";
    ControlLoad l = load(text);
    ASSERT_EQ(l.count, 5001);
    EXPECT_EQ(rec(5000).title, "R5000");
    EXPECT_EQ(rec(5000).sql, "select 5000");
    EXPECT_EQ(l.nodes.back().tag, " 5001");
    EXPECT_EQ(rec(5001).sql, megabyte + "\r\n" + binary);
}

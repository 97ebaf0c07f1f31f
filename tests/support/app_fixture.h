// A started program for the tests of the routines that drive windows: defaults, messages, a
// connection to SAMPLE, the main window and, on request, SQL windows opened as the program
// opens them.
#pragma once

#include "grid.h"
#include "messages.h"
#include "program.h"
#include "program_fixture.h"
#include "runner.h"
#include "session.h"
#include "settings.h"
#include "text_codec.h"
#include "tree.h"
#include "user_input.h"
#include "zal_master.h"
#include "zal_output.h"
#include "zal_sql.h"

#include <QTreeWidget>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace kestle_test {

class AppTest : public ::testing::Test {
protected:
    explicit AppTest(bool connect = true) {
        kestle::Program &p = program();
        kestle::set_defaults(p.settings, p.vars, p.run, p.notes, std::filesystem::current_path().string());
        kestle::set_messages(p.messages);
        p.master().show();
        if (connect) {
            EXPECT_EQ(kestle::ZAL_connect(p, "SAMPLE", "", ""), 0);
        }
    }

    kestle::Program &program() { return fx.program; }
    ScriptedDialogs &dialogs() { return fx.dialogs; }

    // A new SQL window in the first free slot, made current.
    kestle::ZALSQL &open_sql() {
        kestle::ZALSQL *w = program().master().open_sql_window(false);
        EXPECT_NE(w, nullptr);
        return *w;
    }
    // One statement or command, as a run hands it over, without the run's completion text.
    void command(const std::string &text) { kestle::do_cmd(program(), text, true); }
    std::string status() {
        kestle::ZALSQL *w = program().forms.cur_sql_form;
        return w ? w->status_text() : std::string();
    }

    // The presentation tree's node of a record, or null; a click on it as the presenter makes it.
    QTreeWidgetItem *record_node(int record) {
        for (QTreeWidgetItemIterator it(program().master().TV); *it; ++it)
            if (kestle::node_tag(*it) == " " + std::to_string(record))
                return *it;
        return nullptr;
    }
    void click_record(int record) {
        QTreeWidgetItem *n = record_node(record);
        ASSERT_NE(n, nullptr) << "no node for record " << record;
        click_node(*program().master().TV, n);
    }

    QTreeWidget &queries() { return *program().master().Queries; }
    // The newest run node of the query log.
    QTreeWidgetItem *run_node() { return queries().topLevelItem(0); }
    static std::vector<std::string> child_texts(const QTreeWidgetItem *n) {
        std::vector<std::string> t;
        for (int i = 0; n && i < n->childCount(); ++i)
            t.push_back(kestle::node_text(n->child(i)));
        return t;
    }

    // The output window of a slot, or null.
    kestle::ZALOutput *output(int slot) {
        return dynamic_cast<kestle::ZALOutput *>(kestle::form_at(program(), kestle::find_form(program(), 2, slot)));
    }
    // Row r of a grid, cell by cell.
    static std::vector<std::string> grid_row(kestle::Grid &g, int r) {
        std::vector<std::string> cells;
        for (int c = 0; c < g.cols(); ++c)
            cells.push_back(g.text_matrix(r, c));
        return cells;
    }

    // The database as another client sees it.
    Result query(const std::string &sql) {
        Client c("SAMPLE");
        return c.run(sql);
    }

    ProgramFixture fx;
};

} // namespace kestle_test

// Loading the control file into the tree, and a record's notes into the notes pane.

#include "presentation.h"

#include "browser.h"
#include "program.h"
#include "shown_text.h"
#include "text_codec.h"
#include "tree.h"
#include "window_support.h"
#include "zal_master.h"
#include "zal_wmf.h"

#include <QTreeWidget>

namespace kestle {

int readops(Program &p, const std::string &fname, bool *complete) {
    QTreeWidget *tv = p.master().TV;
    const ControlLoad load = read_control_file(p.control, p.settings, p, fname);
    if (complete)
        *complete = load.visible;
    if (!load.opened)
        return 0;
    tv->clear();

    // Built apart from the tree and handed over in one step, so a large presentation costs
    // the tree one update.
    std::vector<QTreeWidgetItem *> items;
    items.reserve(load.nodes.size());
    QList<QTreeWidgetItem *> top;
    for (const TreeNode &n : load.nodes) {
        QTreeWidgetItem *parent = n.parent >= 0 && static_cast<std::size_t>(n.parent) < items.size()
                                      ? items[static_cast<std::size_t>(n.parent)]
                                      : nullptr;
        auto *item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem();
        item->setText(0, shown_text(qt(n.text))); // the record keeps the whole title
        set_node_tag(item, n.tag);
        if (!parent)
            top.append(item);
        items.push_back(item);
    }
    tv->addTopLevelItems(top);
    if (load.visible)
        tv->setVisible(true);
    return load.count;
}

void showhelp(Program &p, const std::string &title, const std::string &body, int kind) {
    const std::string address = write_notes_page(p.notes, p.settings, title, body);
    if (address.empty())
        return;
    if (kind == kind_screen) {
        ZALWMF &slides = p.wmf();
        slides.Web->navigate(address);
        show_in_front(slides);
    } else {
        p.master().Web->navigate(address);
    }
}

} // namespace kestle

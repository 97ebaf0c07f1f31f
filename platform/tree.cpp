#include "tree.h"

#include "icons.h"
#include "text_codec.h"

namespace kestle {

namespace {

enum Role { tag_role = Qt::UserRole + 1, key_role, image_role };

std::string get(const QTreeWidgetItem *n, int role) { return n ? bytes(n->data(0, role).toString()) : std::string(); }

} // namespace

std::string node_text(const QTreeWidgetItem *n) { return n ? bytes(n->text(0)) : std::string(); }
std::string node_tag(const QTreeWidgetItem *n) { return get(n, tag_role); }
void set_node_tag(QTreeWidgetItem *n, const std::string &tag) { n->setData(0, tag_role, qt(tag)); }
std::string node_key(const QTreeWidgetItem *n) { return get(n, key_role); }
void set_node_key(QTreeWidgetItem *n, const std::string &key) { n->setData(0, key_role, qt(key)); }
std::string node_image(const QTreeWidgetItem *n) { return get(n, image_role); }

void set_node_image(QTreeWidgetItem *n, const std::string &image) {
    n->setData(0, image_role, qt(image));
    n->setIcon(0, icon(image, ImageList::query));
}

} // namespace kestle

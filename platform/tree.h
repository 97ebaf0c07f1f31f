// Nodes of the program's trees keep a Tag, a Key and an image key beside their text.
#pragma once

#include <QTreeWidgetItem>

#include <string>

namespace kestle {

std::string node_text(const QTreeWidgetItem *n);
std::string node_tag(const QTreeWidgetItem *n);
void set_node_tag(QTreeWidgetItem *n, const std::string &tag);
std::string node_key(const QTreeWidgetItem *n);
void set_node_key(QTreeWidgetItem *n, const std::string &key);
std::string node_image(const QTreeWidgetItem *n);
void set_node_image(QTreeWidgetItem *n, const std::string &image);

} // namespace kestle

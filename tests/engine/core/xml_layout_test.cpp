#include "xml_layout.h"

#include <gtest/gtest.h>

using kestle::xml_layout;

namespace {

TEST(XmlLayout, TagsAndTextsGoOnLinesIndentedByDepth) {
    struct Case {
        std::string value;
        std::string laid_out;
    };
    const Case cases[] = {
        {"<a><b>x</b></a>", "<a>\r\n  <b>\r\n    x\r\n  </b>\r\n</a>\r\n"},
        {"<?xml version=\"1.0\"?><e/>", "<?xml version=\"1.0\"?>\r\n  <e/>\r\n"},
        {"</a></b>", "</a>\r\n</b>\r\n"},
        // A self-closing tag deepens the indent as every opening tag does.
        {"<a> x <b/></a>tail", "<a>\r\n   x \r\n  <b/>\r\n  </a>\r\ntail"},
        {"<a>text <b", "<a>\r\n  text \r\n<b"},
        {"<<a>", "<<a>\r\n"},
        {"<a>x<", "<a>\r\n  x\r\n<"},
        {"", ""},
        {"plain", "plain"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(xml_layout(c.value), c.laid_out) << c.value;
}

TEST(XmlLayout, DeepNestingStopsIndentingAtTheLimit) {
    std::string v;
    for (int i = 0; i < 150; ++i)
        v += "<a>";
    const std::string out = xml_layout(v + "x");
    const std::string last = "\n" + std::string(kestle::xml_max_indent, ' ') + "<a>\r\nx";
    ASSERT_GT(out.size(), last.size());
    EXPECT_EQ(out.substr(out.size() - last.size()), last);
}

} // namespace

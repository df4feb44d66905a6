#include <gtest/gtest.h>

#include <algorithm>

#include <QCoreApplication>
#include <QLabel>
#include <QStyle>
#include <QMainWindow>

#include "gui/views/CStatusBarCtrl.h"

namespace {

struct Placed {
    int left;
    int width;
};

std::vector<Placed> PartBoxes(CStatusBarCtrl& bar)
{
    std::vector<Placed> boxes;
    for (QObject* child : bar.children())
        if (auto* box = qobject_cast<QWidget*>(child); box != nullptr && box->findChild<QLabel*>() != nullptr)
            boxes.push_back({box->x(), box->width()});
    std::sort(boxes.begin(), boxes.end(), [](const Placed& a, const Placed& b) { return a.left < b.left; });
    return boxes;
}

// The given edges stand where the texts fit; a part too narrow for its longest text (with its
// icon) grows and pushes the parts right of it along, so a count is never cut.
TEST(StatusBarCtrlTest, PartsKeepTheirEdgesUnlessTheirLongestTextDoesNotFit)
{
    QMainWindow window;
    auto* bar = new CStatusBarCtrl(&window);
    window.setStatusBar(bar);
    const QString wide = QStringLiteral(" Filtered packet count: 99999999");
    bar->SetParts({150, 300, 420, 540, -1}, {QStringLiteral(" Packet count: 99999999"), QString(), wide});
    window.resize(900, 200);
    window.show();
    QCoreApplication::processEvents();

    const std::vector<Placed> boxes = PartBoxes(*bar);
    ASSERT_EQ(boxes.size(), 5u);
    EXPECT_EQ(boxes[0].width, 150);
    EXPECT_EQ(boxes[1].width, 150);
    const QLabel probe;
    const int needed = probe.fontMetrics().horizontalAdvance(wide) + 16;
    EXPECT_GT(boxes[2].width, needed);
    EXPECT_GT(boxes[2].width, 120);
    EXPECT_EQ(boxes[3].width, 120);
    bar->SetText(2, wide);
    bar->SetIcon(2, window.style()->standardIcon(QStyle::SP_FileIcon));
    QCoreApplication::processEvents();
    for (QLabel* label : bar->findChildren<QLabel*>()) {
        if (label->text() == wide) {
            EXPECT_GE(label->width(), label->fontMetrics().horizontalAdvance(wide));
        }
    }
}

} // namespace

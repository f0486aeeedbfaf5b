// What a real X display shows after a key or a click: the rich-text editor's
// keyboard selection and the data grid's row indicator, each read from a
// screenshot of the window as the server holds it.
#include <gtest/gtest.h>

#include <QMouseEvent>

#include <functional>
#include <string>
#include <vector>

#include "ScreenGrab.h"
#include "controls/GridFixture.h"
#include "controls/Qmdbgrid.h"
#include "richtext/RtEditFixture.h"
#include "ui/Colors.h"

namespace {

bool near(QRgb a, TColor b) {
    TColor rgb = ColorToRGB(b);
    return std::abs(qRed(a) - static_cast<int>(rgb & 0xFF)) < 40 &&
           std::abs(qGreen(a) - static_cast<int>((rgb >> 8) & 0xFF)) < 40 &&
           std::abs(qBlue(a) - static_cast<int>((rgb >> 16) & 0xFF)) < 40;
}

// The columns the highlight covers, or an empty range.
std::pair<int, int> highlightedColumns(const QImage& shot) {
    int left = shot.width(), right = -1;
    for (int y = 0; y < shot.height(); ++y)
        for (int x = 0; x < shot.width(); ++x)
            if (near(shot.pixel(x, y), clHighlight)) {
                left = std::min(left, x);
                right = std::max(right, x);
            }
    return {left, right};
}

class EditorOnScreen : public RtEditFixture {};

TEST_F(EditorOnScreen, KeyboardSelectionShowsAndGoesOnTheScreen) {
    SKIP_WITHOUT_X_SERVER();
    auto* e = new TRtCustomRichText(form.get());
    e->SetParent(form.get());
    e->SetBounds(8, 8, 400, 80);
    e->SetWordWrap(true);
    show();
    e->SetFocus();
    type(e, "Hello world");
    QImage typed = GrabFromScreen(e, "screen-editor-typed");
    ASSERT_EQ(highlightedColumns(typed).second, -1) << "nothing selected yet";
    // The text's ink, to place the selections against.
    int inkRight = 0;
    for (int x = 0; x < typed.width(); ++x)
        if (PixelsWhere(typed, QRect(x, 4, 1, 20), [](QRgb p) { return qGray(p) < 100; })) inkRight = x;
    ASSERT_GT(inkRight, 40);

    struct Case {
        const char* name;
        std::function<void()> keys;
        bool fromTextStart;  // the highlight begins at the text's left edge, else in its right half
    } cases[] = {
        {"Shift+Home", [&] { e->SendKey(VK_HOME, {ssShift}); }, true},
        {"Shift+Left five times", [&] { for (int i = 0; i < 5; ++i) e->SendKey(VK_LEFT, {ssShift}); }, false},
        {"Ctrl+Shift+Left", [&] { e->SendKey(VK_LEFT, {ssShift, ssCtrl}); }, false},
        {"Home, then Shift+End", [&] { e->SendKey(VK_HOME); e->SendKey(VK_END, {ssShift}); }, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        e->SendKey(VK_END);
        c.keys();
        QImage shot = GrabFromScreen(e, std::string("screen-editor-") + c.name);
        auto [left, right] = highlightedColumns(shot);
        ASSERT_GE(right, 0) << "no highlight on the screen";
        if (c.fromTextStart)
            EXPECT_LT(left, 12);
        else
            EXPECT_GT(left, inkRight / 2);
        EXPECT_GE(right, inkRight - 4);
        // A move without Shift drops the selection on the screen too.
        e->SendKey(VK_END);
        EXPECT_EQ(highlightedColumns(GrabFromScreen(e, std::string("screen-editor-dropped-") + c.name)).second, -1);
    }
}

class GridOnScreen : public GridFixture {
protected:
    void clickCell(TQmDBGrid* grid, int col, int row) {
        TRect r = grid->CellRect(col, row);
        QPointF p(r.Left + 3, r.Top + 3);
        for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
            QMouseEvent e(type, p, grid->Handle()->mapToGlobal(p), Qt::LeftButton,
                          type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
            QCoreApplication::sendEvent(grid->Handle(), &e);
        }
    }
};

TEST_F(GridOnScreen, TheRowIndicatorFollowsKeysAndClicksOnTheScreen) {
    SKIP_WITHOUT_X_SERVER();
    makePeople(6);
    TQmTable* people = openTable("people.dbf");
    auto* grid = new TQmDBGrid(form.get());
    grid->SetParent(form.get());
    grid->SetBounds(8, 8, 400, 200);
    grid->SetOptions({dgTitles, dgIndicator, dgColumnResize, dgColLines, dgRowLines, dgTabs});
    for (const char* line : {"NAME\t12\tName", "CITY\t12\tCity"}) grid->Selected()->Add(line);
    grid->SetDataSource(sourceOf(people));
    people->Open();
    show();
    grid->SetFocus();

    // The grid rows whose indicator cell shows the mark.
    auto marked = [&](const QImage& shot) {
        std::vector<int> rows;
        for (int row = 1; row <= 6; ++row) {
            TRect r = grid->CellRect(0, row);
            QRect inside(r.Left + 1, r.Top + 2, r.Width() - 3, r.Height() - 4);
            if (PixelsWhere(shot, inside, [](QRgb p) { return qGray(p) < 80; })) rows.push_back(row);
        }
        return rows;
    };
    ASSERT_EQ(marked(GrabFromScreen(grid, "screen-grid-first")), std::vector<int>{1});
    struct Case {
        const char* name;
        std::function<void()> act;
        int row;
    } cases[] = {
        {"Down", [&] { grid->SendKey(VK_DOWN); }, 2},
        {"Down again", [&] { grid->SendKey(VK_DOWN); }, 3},
        {"Up", [&] { grid->SendKey(VK_UP); }, 2},
        {"a click on the fifth row", [&] { clickCell(grid, 1, 5); }, 5},
        {"a click on the first row", [&] { clickCell(grid, 2, 1); }, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        c.act();
        EXPECT_EQ(marked(GrabFromScreen(grid, std::string("screen-grid-") + c.name)), std::vector<int>{c.row});
    }
}

}  // namespace

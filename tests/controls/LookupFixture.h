#pragma once
// Lookup controls on a shown form over real xBase tables: an ITEMS lookup
// table (CODE, CATEGORY, DESC) with a tag on the code and one on all three
// fields, a SALE data table with the same fields and a quantity, and a
// PAYMENTS table for the lookup dialog.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QPainter>
#include <QThread>
#include <QWidget>

#include <functional>

#include "GridFixture.h"
#include "ui/OffscreenRender.h"

// Five items in code order.
inline std::vector<std::vector<std::string>> ItemRows() {
    return {{"AB1", "Frames", "Metal frame"},
            {"AB2", "Frames", "Plastic frame"},
            {"AC1", "Lenses", "Single vision"},
            {"BX1", "Lenses", "Bifocal"},
            {"CZ9", "Service", "Eye exam"}};
}

class LookupFixture : public GridFixture {
protected:
    // ITEMS with the first count rows of ItemRows.
    void makeItems(int count = 5) {
        std::vector<std::vector<std::string>> rows = ItemRows();
        rows.resize(count);
        ASSERT_EQ(CreateTable(dir.file("items.dbf"),
                              {{"CODE", "C", 6, 0}, {"CATEGORY", "C", 10, 0}, {"DESC", "C", 20, 0}}),
                  "");
        ASSERT_EQ(FillTable(dir.file("items.dbf"), rows), "");
        ASSERT_EQ(TagTable(dir.file("items.dbf"), {{"CODE", "CODE"}, {"CODECAT", "CODE+CATEGORY+DESC"}}), "");
    }

    // SALE with one line of the given code, its category and description.
    void makeSale(const std::vector<std::string>& line) {
        ASSERT_EQ(CreateTable(dir.file("sale.dbf"), {{"CODE", "C", 6, 0},
                                                    {"CATEGORY", "C", 10, 0},
                                                    {"DESC", "C", 20, 0},
                                                    {"QTY", "N", 4, 0}}),
                  "");
        ASSERT_EQ(FillTable(dir.file("sale.dbf"), {line}), "");
    }

    // Runs the event loop until done() holds, at most maxMs milliseconds.
    static bool runUntil(const std::function<bool()>& done, int maxMs = 1000) {
        QElapsedTimer clock;
        clock.start();
        while (!done()) {
            if (clock.elapsed() > maxMs) return false;
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
            QThread::msleep(2);
        }
        return true;
    }

    // The form as the screen shows it, with any window floating over it
    // (an open drop-down) painted in its place.
    static QImage screenPicture(TForm* form, const std::vector<TControl*>& floating) {
        QImage picture = renderControl(form);
        QPainter painter(&picture);
        QPoint origin = form->Handle()->mapToGlobal(QPoint(0, 0));
        for (TControl* window : floating) {
            if (!window->Handle()->isVisible()) continue;
            QImage image = renderControl(window);
            painter.drawImage(window->Handle()->mapToGlobal(QPoint(0, 0)) - origin, image);
        }
        return picture;
    }
};

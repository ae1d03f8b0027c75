#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QCoreApplication>
#include <QTableView>

#include "core/query_model.h"
#include "support/app_fixture.h"

class Grid : public ::testing::Test {
protected:
    AppFixture f;
    Query& list = f.data().query("ZQ20");
    Grid() {
        Query& w = f.data().query("ZQ21");
        w.setSql("INSERT INTO fjsor (s_bszam, s_megnevezes, s_brutto) VALUES (:p1, :p2, :p3)");
        for (int i = 0; i < 700; ++i) {
            w.bindText("p1", QString::number(20240000 + i));
            w.bindText("p2", QStringLiteral("Búza %1").arg(i));
            w.bindNumber("p3", QStringLiteral("%1,5").arg(i));
            w.execSql();
        }
        f.data().commit();
        list.setSql("SELECT * FROM fjsor ORDER BY s_bszam");
        list.open();
    }
};

TEST_F(Grid, ModelFetchesInChunksAndPassesTheModelTester) {
    // A query that is never keyed fetches chunk after chunk.
    Query& plain = f.data().query("ZQ12");
    plain.setSql("SELECT * FROM fjsor ORDER BY s_bszam");
    plain.open();
    QTableView view;
    QueryModel* model =
        bindGrid(&view, plain, {{"S_BSZAM", "Bizonylat"}, {"S_BRUTTO", "Mennyiség"}});
    {
        // The tester fetches inside its own reset handler, so it watches the fetching phase only.
        QAbstractItemModelTester tester(model,
                                        QAbstractItemModelTester::FailureReportingMode::Fatal);
        EXPECT_LT(model->rowCount(), 700);
        EXPECT_EQ(model->headerData(1, Qt::Horizontal).toString(), "Mennyiség");
        EXPECT_EQ(model->data(model->index(3, 1)).toString(), "3,5");
        while (model->canFetchMore({})) model->fetchMore({});
        EXPECT_EQ(model->rowCount(), 700);
    }
    plain.close();
    EXPECT_EQ(model->rowCount(), 0);
    plain.open();
    EXPECT_GT(model->rowCount(), 0);
}

TEST_F(Grid, ViewAndQueryCurrentRowsFollowEachOther) {
    QTableView view;
    QueryModel* model = bindGrid(&view, list);
    view.setCurrentIndex(model->index(5, 0));
    EXPECT_EQ(list.recNo(), 5);
    EXPECT_EQ(list.text("S_BSZAM"), "20240005");
    ASSERT_TRUE(list.locate("S_BSZAM", "20240650", false, false));  // beyond the first chunk
    EXPECT_EQ(view.currentIndex().row(), 650);
    list.last();
    EXPECT_EQ(view.currentIndex().row(), 699);

    // A report walking the rows: the view stays, and when the last hold ends takes the row the
    // query is on.
    list.moveTo(5);
    {
        const GridsFollowLater outer;
        {
            const GridsFollowLater inner;
            for (list.first(); !list.eof(); list.next()) {
            }
        }
        EXPECT_EQ(view.currentIndex().row(), 5) << "still held by the outer one";
        list.moveTo(10);
        EXPECT_EQ(view.currentIndex().row(), 5);
    }
    EXPECT_EQ(view.currentIndex().row(), 10);
    EXPECT_EQ(list.recNo(), 10);
}

// A walk through the rows moves the view's current row with the query at every step; the view
// scrolls to where the walk ended when the event loop runs.
TEST_F(Grid, AWalkThroughTheRowsScrollsTheViewOnceToWhereItEnded) {
    QTableView view;
    bindGrid(&view, list);
    view.resize(300, 200);
    view.show();
    QCoreApplication::processEvents();
    for (int row = 0; row < 690; row += 7) {
        list.moveTo(row);
        ASSERT_EQ(view.currentIndex().row(), row);
    }
    QCoreApplication::processEvents();
    EXPECT_TRUE(view.viewport()->rect().intersects(view.visualRect(view.currentIndex())));
    list.first();
    EXPECT_TRUE(view.viewport()->rect().intersects(view.visualRect(view.currentIndex())))
        << "a single move scrolls at once";
}

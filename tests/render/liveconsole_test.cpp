// SPDX-License-Identifier: MIT
// The live console of the generated display against a server on loopback:
// the figures read back from the display texture, held against the same
// texts drawn by the pixel font over the generated art.
#include "net/logic.h"
#include "render/consolelayout.h"
#include "render/miplevels.h"
#include "render/pixelfont.h"
#include "testserver.h"
#include "viewfixture.h"
#include "wireblocks.h"

#include <QPainter>
#include <QTest>

namespace {

namespace console = layout::console;

const int waitMs = 10000;

struct Figures
{
    QString count;
    QStringList rows;
    QString link, server, rate;
};

// The oracle: the art with each text drawn at its place.
QImage drawnOver(const QImage &art, const Figures &f)
{
    QImage image = art.convertToFormat(QImage::Format_ARGB32);
    QPainter painter(&image);
    const auto draw = [&](const console::Spot &at, const QString &text) {
        drawPixelText(painter, QPointF(at.x, at.y), console::dot, text,
                      QColor::fromRgb(console::phosphorRgb));
    };
    draw(console::targetCount, f.count);
    for (int i = 0; i < f.rows.size(); ++i)
        draw({console::firstTargetRow.x, console::firstTargetRow.y + i * console::targetRowPitch},
             f.rows[i]);
    draw(console::linkFigure, f.link);
    draw(console::serverFigure, f.server);
    draw(console::rateFigure, f.rate);
    return image;
}

int differingTexels(const QImage &a, const QImage &b)
{
    if (a.size() != b.size())
        return -1;
    int n = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            n += a.pixel(x, y) != b.pixel(x, y);
    return n;
}

class LiveConsole : public DemoViewTest
{
protected:
    void SetUp() override
    {
        DemoViewTest::SetUp();
        art = QImage(QString::fromLatin1(layout::displayModel.textureFile));
        ASSERT_FALSE(art.isNull());
        ASSERT_TRUE(server.isListening());
        ASSERT_TRUE(logic.connectToServer("127.0.0.1", server.port()));
        ASSERT_TRUE(server.waitForClient());
        address = QString("127.0.0.1:%1").arg(server.port());
    }

    QImage displayTexture(int level = 0)
    {
        view->makeCurrent();
        return readTextureLevel(scene().textures().display, level);
    }

    // Redraws the console as the view's timer does and reads it back.
    void expectConsole(const Figures &figures)
    {
        view->redrawConsole();
        EXPECT_EQ(differingTexels(displayTexture(), drawnOver(art, figures)), 0)
            << qPrintable(figures.count + " " + figures.link + " " + figures.rate);
    }

    bool waitForTargets(int count)
    {
        return QTest::qWaitFor([&] { return logic.targetCount() == count; }, waitMs);
    }

    QImage art;
    TestServer server;
    Logic logic;
    QString address;
};

TEST_F(LiveConsole, showsTheTargetsTheServerAndTheLinkAsTheyStand)
{
    ASSERT_TRUE(showView(QSize(viewWidth, viewHeight), &logic.state(), &logic.link()));
    // Set up before any reply: nothing counted, nothing measured yet.
    EXPECT_EQ(differingTexels(displayTexture(), drawnOver(art, {"0", {}, "WAITING", address, ""})),
              0);

    server.send(firstBlock(distinctRecords(5)));
    ASSERT_TRUE(waitForTargets(5));
    expectConsole({"5",
                   {"01  X 0.25  Y -0.50", "02  X 1.25  Y -1.50", "03  X 2.25  Y -2.50",
                    "04  X 3.25  Y -3.50"},
                   "CONNECTED",
                   address,
                   ""});
    // Every coarser level holds the halving of the one above it, across the
    // region's edges too.
    QImage above = displayTexture(0);
    for (int level = 1; above.width() > 1 || above.height() > 1; ++level) {
        QImage halved(halvedSide(above.width()), halvedSide(above.height()), QImage::Format_ARGB32);
        halveTexels(above.constBits(), above.bytesPerLine(), above.width(), above.height(),
                    halved.bits(), halved.bytesPerLine());
        above = displayTexture(level);
        ASSERT_EQ(differingTexels(above, halved), 0) << "level " << level;
    }

    server.send(laterBlock({}));
    ASSERT_TRUE(waitForTargets(0));
    expectConsole({"0", {}, "CONNECTED", address, ""});

    // Gone: the link waits and no request goes out any more.
    server.close();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !logic.advance(0.05); }, waitMs));
    expectConsole({"0", {}, "WAITING", address, "0.0/S"});
}

TEST_F(LiveConsole, withoutALinkRecordKeepsTheGeneratedArt)
{
    server.send(firstBlock(distinctRecords(5)));
    ASSERT_TRUE(waitForTargets(5));
    ASSERT_TRUE(showView(QSize(viewWidth, viewHeight), &logic.state()));
    view->redrawConsole();
    EXPECT_EQ(differingTexels(displayTexture(), art.convertToFormat(QImage::Format_ARGB32)), 0);
}

} // namespace

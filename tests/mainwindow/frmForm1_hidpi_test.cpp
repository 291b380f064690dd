// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's live plot on a screen scaled by 2: the plot draws at the device's pixels
// and shows them 1:1, and the image it copies or saves has those pixels.
#include <QAction>
#include <QClipboard>
#include <QImageReader>
#include <QtTest>
#include <optional>

#include "support/window_rig.h"
#include "ui/colors.h"

using namespace kva;
using kvatest::InColumn;

namespace {

QAction& Action(QWidget& w, const QString& text) {
  for (QAction* a : w.actions())
    if (a->text() == text) return *a;
  qFatal("no action %s", qPrintable(text));
}

}  // namespace

class FrmForm1HiDpiTest : public QObject {
  Q_OBJECT

  std::optional<kvatest::WindowRig> rig_;

  // Start-up on the simulated adapter, then flat traces at X 3 g, Y -3 g, Z 5 g.
  frmForm1& StartWithFlatTraces() {
    frmForm1& form = rig_->StartMainWindow();
    std::array<float, kOutputSampleSlots> s{0, 0, 3.0f, -3.0f, 5.0f};
    for (int i = 0; i < 20; ++i) form.PlotDataPoints2(s);
    return form;
  }

 private slots:
  void init() { rig_.emplace(); }
  void cleanup() {
    const std::vector<std::string> unexpected = rig_->events;
    rig_.reset();
    QCOMPARE(unexpected, std::vector<std::string>{});
  }

  void plotDrawsAndShowsDevicePixels() {
    frmForm1& form = StartWithFlatTraces();
    ui::PictureBox& pic = *form.pic2;
    QCOMPARE(pic.AreaSize(), QSize(700, 400));

    // What the screen gets: the image laid 1:1 on the device's pixels, not an enlargement.
    QImage shown = pic.grab(pic.contentsRect()).toImage().convertToFormat(QImage::Format_RGB32);
    QCOMPARE(shown.size(), QSize(700, 400));
    QVERIFY(shown == pic.Image());

    // Columns inside the last segment (two pixels per sample): each trace one pixel high, and
    // the cursor one sample ahead a single pixel column.
    const int x = 2 * form.plotState().x;
    for (int px : {x - 3, x - 2, x - 1}) {
      QCOMPARE(InColumn(shown, px, ui::kRed), 1);
      QCOMPARE(InColumn(shown, px, ui::kTraceGreen), 1);
      QCOMPARE(InColumn(shown, px, ui::kBlue), 1);
    }
    QCOMPARE(InColumn(shown, x + 2, ui::kCursorGrey), 400);
    QCOMPARE(InColumn(shown, x + 1, ui::kCursorGrey) + InColumn(shown, x + 3, ui::kCursorGrey), 0);
    // 3 g of 7 g above the middle row.
    QCOMPARE(shown.pixelColor(x - 2, qRound(200 - 3.0 / 7.0 * 200)), ui::kRed);
  }

  void copiedAndSavedImagesHaveTheDevicePixels() {
    frmForm1& form = StartWithFlatTraces();
    ui::PictureBox& pic = *form.pic2;
    Action(pic, "Copy Image").trigger();
    QVERIFY(QGuiApplication::clipboard()->image().convertToFormat(QImage::Format_RGB32) ==
            pic.Image());
    QString asked;
    ui::SetSaveFileHook([&](const QString& title, const QString&) {
      asked = title;
      return QString("shock");
    });
    Action(pic, "Save Image As...").trigger();
    QCOMPARE(asked, QString("Save Image As"));
    QImageReader reader("shock.png");  // ".png" added to a name without one
    QCOMPARE(reader.format(), QByteArray("png"));
    QVERIFY(reader.read().convertToFormat(QImage::Format_RGB32) == pic.Image());
    ui::SetSaveFileHook(
        [](const QString&, const QString&) { return QString("no/such/dir/a.png"); });
    Action(pic, "Save Image As...").trigger();
    QVERIFY(rig_->events.size() == 1 && rig_->events[0].find("a.png") != std::string::npos);
    rig_->events.clear();
  }
};

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  qputenv("QT_SCALE_FACTOR", "2");
  QApplication app(argc, argv);
  FrmForm1HiDpiTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "frmForm1_hidpi_test.moc"

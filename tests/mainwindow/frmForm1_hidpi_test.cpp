// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's live plot on a screen scaled by 2: the plot draws at the device's pixels
// and shows them 1:1, and the image it copies or saves has those pixels.
#include <QClipboard>
#include <QImageReader>

#include "support/window_rig.h"

using namespace kva;
using kvatest::InColumn;

namespace {

void Trigger(QWidget& w, const QString& text) {
  for (QAction* a : w.actions())
    if (a->text() == text) a->trigger();
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
  void cleanup() { rig_.reset(); }

  // Laid 1:1 on the screen's pixels, not enlarged; each trace one pixel high, the cursor one
  // sample ahead a single column; copied and saved as those pixels.
  void plotDrawsShowsAndSavesDevicePixels() {
    frmForm1& form = StartWithFlatTraces();
    ui::PictureBox& pic = *form.pic2;
    QImage shown = pic.grab(pic.contentsRect()).toImage().convertToFormat(QImage::Format_RGB32);
    QVERIFY(pic.AreaSize() == QSize(700, 400) && shown == pic.Image());
    const int x = 2 * form.plotState().x;  // two pixels per sample
    QString columns;
    for (int px = x - 3; px <= x + 3; ++px) {
      columns += QString::asprintf("%d%d%d%d ", InColumn(pic, px, ui::kRed),
                                   InColumn(pic, px, ui::kTraceGreen), InColumn(pic, px, ui::kBlue),
                                   InColumn(pic, px, ui::kCursorGrey));
    }
    QCOMPARE(columns, QString("1110 1110 1110 1110 0000 000400 0000 "));
    QCOMPARE(pic.PixelAt(x - 2, qRound(200 - 3.0 / 7.0 * 200)), ui::kRed);  // 3 g of 7 g up

    Trigger(pic, "Copy Image");
    QVERIFY(QGuiApplication::clipboard()->image().convertToFormat(QImage::Format_RGB32) ==
            pic.Image());
    QString name = "shock";  // ".png" added to a name without one
    ui::SetSaveFileHook([&](const QString& title, const QString&) { return title + name; });
    Trigger(pic, "Save Image As...");
    QImageReader reader("Save Image Asshock.png");
    QCOMPARE(reader.format(), QByteArray("png"));
    QVERIFY(reader.read().convertToFormat(QImage::Format_RGB32) == pic.Image());
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

// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/picture_box.h"

#include <QAction>
#include <QBuffer>
#include <QClipboard>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "app/file_writer.h"
#include "app/hooks.h"
#include "ui/qt_hooks.h"

namespace kva::ui {
namespace {

// Clips the segment p-q to rect r (Liang-Barsky). False when nothing is left.
bool ClipSegment(QPointF& p, QPointF& q, const QRectF& r) {
  const double dx = q.x() - p.x();
  const double dy = q.y() - p.y();
  double t0 = 0.0, t1 = 1.0;
  const double pk[4] = {-dx, dx, -dy, dy};
  const double qk[4] = {p.x() - r.left(), r.right() - p.x(), p.y() - r.top(), r.bottom() - p.y()};
  for (int i = 0; i < 4; ++i) {
    if (pk[i] == 0.0) {
      if (qk[i] < 0.0) return false;
      continue;
    }
    const double t = qk[i] / pk[i];
    if (pk[i] < 0.0) {
      if (t > t1) return false;
      t0 = std::max(t0, t);
    } else {
      if (t < t0) return false;
      t1 = std::min(t1, t);
    }
  }
  const QPointF a = p;
  p = QPointF(a.x() + t0 * dx, a.y() + t0 * dy);
  q = QPointF(a.x() + t1 * dx, a.y() + t1 * dy);
  return true;
}

bool Finite(double a, double b) { return std::isfinite(a) && std::isfinite(b); }

// The pixels from corner a to corner b, both included, whichever way round they are given
// (QRect::normalized would drop a row and a column of a reversed pair).
QRect Span(QPoint a, QPoint b) {
  return {QPoint(std::min(a.x(), b.x()), std::min(a.y(), b.y())),
          QPoint(std::max(a.x(), b.x()), std::max(a.y(), b.y()))};
}

}  // namespace

PictureBox::PictureBox(QWidget* parent) : QFrame(parent) {
  setFrameStyle(QFrame::Panel | QFrame::Sunken);
  setLineWidth(2);
  setMouseTracking(true);
  setAttribute(Qt::WA_OpaquePaintEvent);
  auto* copy = new QAction("Copy Image", this);
  auto* save = new QAction("Save Image As...", this);
  connect(copy, &QAction::triggered, this, &PictureBox::CopyImage);
  connect(save, &QAction::triggered, this, &PictureBox::SaveImageAs);
  addAction(copy);
  addAction(save);
  setContextMenuPolicy(Qt::ActionsContextMenu);
  FitImage();
}

void PictureBox::SetBackColor(const QColor& c) { backColor_ = c; }

void PictureBox::Scale(double x1, double y1, double x2, double y2) {
  if (x2 == x1 || y2 == y1) throw std::invalid_argument("PictureBox::Scale: empty range");
  left_ = x1;
  top_ = y1;
  width_ = x2 - x1;
  height_ = y2 - y1;
  pixelScale_ = false;
}

void PictureBox::ScaleDefault() {
  pixelScale_ = true;
  left_ = top_ = 0;
  width_ = std::max(1, image_.width());
  height_ = std::max(1, image_.height());
}

void PictureBox::SetScaleWidth(double v) {
  if (v == 0) throw std::invalid_argument("PictureBox::SetScaleWidth: zero");
  width_ = v;
  pixelScale_ = false;
}

void PictureBox::SetScaleHeight(double v) {
  if (v == 0) throw std::invalid_argument("PictureBox::SetScaleHeight: zero");
  height_ = v;
  pixelScale_ = false;
}

void PictureBox::SetDrawWidth(int pixels) { drawWidth_ = std::max(1, pixels); }

QPointF PictureBox::ToPixels(double x, double y) const {
  Sync();
  return MapToPixels(x, y);
}

QPointF PictureBox::MapToPixels(double x, double y) const {
  return {(x - left_) * image_.width() / width_, (y - top_) * image_.height() / height_};
}

QPointF PictureBox::ToUser(QPointF pixel) const {
  Sync();
  return {left_ + pixel.x() * width_ / std::max(1, image_.width()),
          top_ + pixel.y() * height_ / std::max(1, image_.height())};
}

QPoint PictureBox::RoundPixel(QPointF p) const {
  return {static_cast<int>(std::floor(p.x() + 0.5)), static_cast<int>(std::floor(p.y() + 0.5))};
}

int PictureBox::PenWidth() const {
  // A hairline stays one device pixel; wider pens keep their size on the screen.
  if (drawWidth_ == 1) return 1;
  return std::max(1, static_cast<int>(std::lround(drawWidth_ * ratio_)));
}

QRect PictureBox::DrawSegment(QPointF p, QPointF q, const QPen& pen, std::vector<QLine>& lines) {
  // Clip in floating point first, so far-off values never reach integer pixel coordinates.
  const int width = pen.width();
  const double m = width + 2;
  if (!ClipSegment(p, q, QRectF(-m, -m, image_.width() + 2 * m, image_.height() + 2 * m))) {
    return {};
  }
  const QPoint a = RoundPixel(p);
  const QPoint b = RoundPixel(q);
  if (width == 1 && (a.x() == b.x() || a.y() == b.y())) {
    FillPixels(Span(a, b), pen.color());
    return Span(a, b);
  }
  if (a == b) {
    QPainter& painter = Painter();
    if (painter.pen() != pen) painter.setPen(pen);
    painter.drawPoint(a);
  } else {
    lines.emplace_back(a, b);
  }
  const int grow = width == 1 ? 0 : width / 2 + 1;  // a hairline stays between its end points
  return Span(a, b).adjusted(-grow, -grow, grow, grow);
}

void PictureBox::DrawLines(const std::vector<QLine>& lines, const QPen& pen) {
  // One call for a trace's lines: the painter sets up its line drawing once per call, which
  // costs more than drawing a plot's short segment.
  if (lines.empty()) return;
  QPainter& painter = Painter();
  if (painter.pen() != pen) painter.setPen(pen);
  painter.drawLines(lines.data(), static_cast<int>(lines.size()));
}

QPainter& PictureBox::Painter() {
  // One painter serves a run of drawings: opening one costs more than a plot's short segment.
  if (!painter_) {
    painter_ = std::make_unique<QPainter>(&image_);
    painter_->setRenderHint(QPainter::Antialiasing, false);
  }
  return *painter_;
}

void PictureBox::EndPainting() const { painter_.reset(); }

void PictureBox::Touch(const QRect& pixels) {
  // Only what changed is repainted: a plot that adds a sample at a time stays cheap to show,
  // and the border is left alone (see paintEvent).
  if (pixels.isEmpty()) return;
  const QRectF logical(pixels.x() / ratio_, pixels.y() / ratio_, pixels.width() / ratio_,
                       pixels.height() / ratio_);
  const QRect area = contentsRect();
  QRect r = logical.toAlignedRect();
  if (ratio_ != 1.0) r.adjust(-1, -1, 1, 1);  // rounding at fractional ratios
  r = r.translated(area.topLeft()).intersected(area);
  // A sample's drawings mostly fall in the strip already asked for. Asking for the growing
  // union keeps the area to repaint one rectangle, which is copied in one piece.
  if (pending_.contains(r)) return;
  pending_ |= r;
  update(pending_);
}

void PictureBox::FillPixels(const QRect& r, const QColor& c) {
  // Straight into the image (Format_RGB32): the painter's pixels for a box or a hairline
  // along an axis, without its per-row cost on a plot's tall, narrow strips.
  const QRect clipped = r & image_.rect();
  if (clipped.isEmpty()) return;
  const QRgb value = c.rgb();
  uchar* bits = image_.bits();
  const qsizetype stride = image_.bytesPerLine();
  for (int y = clipped.top(); y <= clipped.bottom(); ++y) {
    auto* line = reinterpret_cast<QRgb*>(bits + y * stride);
    std::fill(line + clipped.left(), line + clipped.right() + 1, value);
  }
}

void PictureBox::Line(double x1, double y1, double x2, double y2, const QColor& c) {
  const QPointF points[2] = {{x1, y1}, {x2, y2}};
  DrawPolyline(points, 2, c);
}

void PictureBox::Polyline(const std::vector<QPointF>& points, const QColor& c) {
  DrawPolyline(points.data(), points.size(), c);
}

void PictureBox::DrawPolyline(const QPointF* points, size_t count, const QColor& c) {
  Sync();
  if (count < 2 || image_.isNull()) return;
  QPen pen(c);
  const int width = PenWidth();
  pen.setWidth(width);
  pen.setCapStyle(width == 1 ? Qt::SquareCap : Qt::RoundCap);
  QRect touched;
  std::vector<QLine> lines;
  lines.reserve(count - 1);
  for (size_t i = 1; i < count; ++i) {
    const QPointF& u = points[i - 1];
    const QPointF& v = points[i];
    if (!Finite(u.x(), u.y()) || !Finite(v.x(), v.y())) continue;
    touched |= DrawSegment(MapToPixels(u.x(), u.y()), MapToPixels(v.x(), v.y()), pen, lines);
  }
  DrawLines(lines, pen);
  Touch(touched);
}

void PictureBox::FilledBox(double x1, double y1, double x2, double y2, const QColor& c) {
  Sync();
  if (!Finite(x1, y1) || !Finite(x2, y2) || image_.isNull()) return;
  const QPointF p = MapToPixels(x1, y1);
  const QPointF q = MapToPixels(x2, y2);
  auto clampX = [&](double v) { return std::clamp(v, -1.0, double(image_.width())); };
  auto clampY = [&](double v) { return std::clamp(v, -1.0, double(image_.height())); };
  const QPoint a = RoundPixel({clampX(p.x()), clampY(p.y())});
  const QPoint b = RoundPixel({clampX(q.x()), clampY(q.y())});
  const QRect r = Span(a, b).intersected(image_.rect());
  if (r.isEmpty()) return;
  FillPixels(r, c);
  Touch(r);
}

void PictureBox::PSet(double x, double y, const QColor& c) {
  Sync();
  if (!Finite(x, y)) return;
  const QPoint p = RoundPixel(MapToPixels(x, y));
  if (!image_.rect().contains(p)) return;
  EndPainting();
  image_.setPixelColor(p, c);
  Touch(QRect(p, QSize(1, 1)));
}

void PictureBox::Cls() {
  Sync();
  EndPainting();
  image_.fill(backColor_);
  update();
}

QColor PictureBox::PixelAt(int px, int py) const {
  Sync();
  if (!image_.rect().contains(px, py)) return {};
  return image_.pixelColor(px, py);
}

QColor PictureBox::Point(double x, double y) const {
  if (!Finite(x, y)) return {};
  const QPointF p = ToPixels(x, y);
  return PixelAt(static_cast<int>(std::floor(p.x())), static_cast<int>(std::floor(p.y())));
}

QSize PictureBox::AreaSize() const {
  Sync();
  return image_.size();
}

double PictureBox::PixelRatio() const {
  Sync();
  return ratio_;
}

const QImage& PictureBox::Image() const {
  Sync();
  EndPainting();  // a copy taken now must not change with later drawings
  return image_;
}

void PictureBox::FitImage() {
  const double ratio = devicePixelRatioF();
  const QSize area = contentsRect().size();
  const QSize size = QSize(static_cast<int>(std::lround(area.width() * ratio)),
                           static_cast<int>(std::lround(area.height() * ratio)))
                         .expandedTo(QSize(1, 1));
  if (image_.size() == size && ratio == ratio_) return;
  QImage grown(size, QImage::Format_RGB32);
  grown.fill(backColor_);
  if (!image_.isNull()) {
    // What was drawn stays where it was (moved to a new screen: enlarged or reduced with
    // it); new area starts in the back colour.
    QPainter painter(&grown);
    if (ratio != ratio_) painter.scale(ratio / ratio_, ratio / ratio_);
    painter.drawImage(0, 0, image_);
  }
  EndPainting();
  image_ = grown;
  ratio_ = ratio;
  if (pixelScale_) ScaleDefault();
}

QImage PictureBox::SharedImage() const {
  Sync();
  EndPainting();
  QImage shared = image_;
  shared.setDevicePixelRatio(ratio_);
  return shared;
}

void PictureBox::CopyImage() { QGuiApplication::clipboard()->setImage(SharedImage()); }

void PictureBox::SaveImageAs() { SaveImageAsPng(this, SharedImage(), "plot.png"); }

void SaveImageAsPng(QWidget* parent, const QImage& image, const QString& suggested) {
  QString name = SaveFileName(parent, "Save Image As", suggested, "PNG images (*.png)", "png");
  if (name.isEmpty()) return;
  if (QFileInfo(name).suffix().isEmpty()) name += ".png";
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, "PNG");
  if (auto failed = kva::WriteFileAtomically(
          S(name), std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())))) {
    kva::MsgBox(*failed);
  }
}

void PictureBox::paintEvent(QPaintEvent* e) {
  Sync();  // the ratio may have changed with the screen
  pending_ = QRect();
  const QRect area = contentsRect();
  const QRect dirty = e->rect() & area;
  if (!dirty.isEmpty()) {
    // The image has the device's pixels: the part under the dirty rectangle is laid on it at
    // its logical size, so it lands 1:1. Only that part is copied.
    const QRectF wanted(QPointF(dirty.topLeft() - area.topLeft()) * ratio_,
                        QSizeF(dirty.size()) * ratio_);
    const QRect source = wanted.toAlignedRect() & image_.rect();
    const QRectF target(QPointF(area.topLeft()) + QPointF(source.topLeft()) / ratio_,
                        QSizeF(source.size()) / ratio_);
    QPainter painter(this);
    if (ratio_ == 1.0) {
      painter.drawImage(target.topLeft().toPoint(), image_, source);
    } else {
      painter.drawImage(target, image_, source);
    }
  }
  // The border costs far more to draw than a plot's strip; it is drawn only when it is part of
  // what is repainted.
  if (!contentsRect().contains(e->rect())) QFrame::paintEvent(e);
}

void PictureBox::resizeEvent(QResizeEvent* e) {
  QFrame::resizeEvent(e);
  FitImage();
}

void PictureBox::EmitMouse(QMouseEvent* e, int which) {
  Sync();
  const QPointF local = (e->position() - QPointF(contentsRect().topLeft())) * ratio_;
  // The mouse on the frame's border reads as the nearest point of the drawing area, so a
  // read-out never names a sample or value beyond the scale's ends.
  const QPointF user = ToUser({std::clamp(local.x(), 0.0, double(image_.width())),
                               std::clamp(local.y(), 0.0, double(image_.height()))});
  const int buttons = static_cast<int>(e->buttons() | e->button());
  const auto mods = e->modifiers();
  const int shift = (mods & Qt::ShiftModifier ? 1 : 0) | (mods & Qt::ControlModifier ? 2 : 0) |
                    (mods & Qt::AltModifier ? 4 : 0);
  if (which == 0) emit MouseMove(buttons, shift, user.x(), user.y());
  if (which == 1) emit MouseDown(buttons, shift, user.x(), user.y());
  if (which == 2) emit MouseUp(buttons, shift, user.x(), user.y());
}

void PictureBox::mouseMoveEvent(QMouseEvent* e) { EmitMouse(e, 0); }
void PictureBox::mousePressEvent(QMouseEvent* e) { EmitMouse(e, 1); }
void PictureBox::mouseReleaseEvent(QMouseEvent* e) { EmitMouse(e, 2); }

}  // namespace kva::ui

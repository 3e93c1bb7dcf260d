// Draws the pictures of the welcome document at build time, so that the
// repository holds no binary pictures: welcome_pictures <output directory>.

#include <QDir>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <cstdio>

namespace {

// A sheet of paper with a folded corner and a few lines of text.
void DrawDocument(QPainter& p, QPointF at) {
    const QRectF sheet(at, QSizeF(34, 44));
    QPainterPath outline;
    outline.moveTo(sheet.topLeft());
    outline.lineTo(sheet.right() - 10, sheet.top());
    outline.lineTo(sheet.right(), sheet.top() + 10);
    outline.lineTo(sheet.bottomRight());
    outline.lineTo(sheet.bottomLeft());
    outline.closeSubpath();
    p.setPen(QPen(QColor(90, 90, 90), 1.2));
    p.setBrush(Qt::white);
    p.drawPath(outline);
    p.setBrush(QColor(220, 220, 220));
    p.drawPolygon(QPolygonF({QPointF(sheet.right() - 10, sheet.top()), QPointF(sheet.right() - 10, sheet.top() + 10),
                             QPointF(sheet.right(), sheet.top() + 10)}));
    p.setPen(QPen(QColor(200, 40, 40), 2));
    for (int line = 0; line < 4; ++line) {
        const double y = sheet.top() + 16 + line * 6;
        p.drawLine(QPointF(sheet.left() + 6, y), QPointF(sheet.right() - 6 - (line % 2) * 6, y));
    }
}

// The small arrow that marks a shortcut, in the lower left corner of an icon.
void DrawShortcutArrow(QPainter& p, QPointF at) {
    const QRectF box(at, QSizeF(14, 14));
    p.setPen(QPen(QColor(60, 60, 60), 1));
    p.setBrush(Qt::white);
    p.drawRect(box);
    QPainterPath curve;
    curve.moveTo(box.left() + 3, box.bottom() - 2);
    curve.quadTo(box.left() + 3, box.top() + 4, box.right() - 4, box.top() + 4);
    p.setPen(QPen(QColor(20, 80, 200), 2));
    p.setBrush(Qt::NoBrush);
    p.drawPath(curve);
    p.setBrush(QColor(20, 80, 200));
    p.setPen(Qt::NoPen);
    p.drawPolygon(QPolygonF({QPointF(box.right() - 1, box.top() + 4), QPointF(box.right() - 6, box.top() + 0.5),
                             QPointF(box.right() - 6, box.top() + 7.5)}));
}

void DrawCaption(QPainter& p, const QRectF& area, const QString& text) {
    p.setPen(Qt::black);
    p.drawText(area, Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap, text);
}

QImage NewPicture(int width, int height) {
    QImage picture(width, height, QImage::Format_ARGB32);
    picture.fill(Qt::white);
    return picture;
}

// The same attachment before saving, as a link with its arrow, and as a
// link drawn without the arrow: the last two are one and the same link.
QImage LinkIcons() {
    QImage picture = NewPicture(420, 96);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    QFont font("DejaVu Sans");
    font.setPixelSize(11);
    p.setFont(font);
    const QStringList captions = {"report.pdf\nthe attachment", "report.pdf\nlink, arrow shown",
                                  "report.pdf\nlink, arrow missing"};
    for (int i = 0; i < 3; ++i) {
        const double left = 40 + i * 140;
        DrawDocument(p, QPointF(left + 8, 6));
        if (i == 1) DrawShortcutArrow(p, QPointF(left + 4, 38));
        DrawCaption(p, QRectF(left - 40, 56, 130, 40), captions[i]);
    }
    p.setPen(QPen(QColor(120, 120, 120), 1, Qt::DashLine));
    p.drawLine(QPointF(140, 4), QPointF(140, 92));
    return picture;
}

// An envelope with a paper clip, the attachment leaving it for a folder.
QImage Banner() {
    QImage picture = NewPicture(150, 64);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF envelope(6, 14, 60, 40);
    p.setPen(QPen(QColor(70, 70, 70), 1.5));
    p.setBrush(QColor(250, 244, 220));
    p.drawRect(envelope);
    p.drawPolyline(QPolygonF({envelope.topLeft(), QPointF(envelope.center().x(), envelope.top() + 22),
                              envelope.topRight()}));
    QPainterPath clip;
    clip.moveTo(50, 30);
    clip.lineTo(50, 6);
    clip.arcTo(QRectF(42, 1, 12, 10), 0, 180);
    clip.lineTo(42, 26);
    clip.arcTo(QRectF(43, 22, 6, 8), 180, 180);
    clip.lineTo(49, 10);
    p.setPen(QPen(QColor(120, 120, 140), 2));
    p.setBrush(Qt::NoBrush);
    p.drawPath(clip);
    p.setPen(QPen(QColor(20, 80, 200), 3));
    p.drawLine(QPointF(74, 34), QPointF(96, 34));
    p.setBrush(QColor(20, 80, 200));
    p.setPen(Qt::NoPen);
    p.drawPolygon(QPolygonF({QPointF(104, 34), QPointF(94, 27), QPointF(94, 41)}));
    const QRectF folder(110, 22, 34, 26);
    p.setBrush(QColor(240, 200, 90));
    p.setPen(QPen(QColor(150, 110, 30), 1.2));
    p.drawRect(folder);
    p.drawRect(QRectF(folder.left(), folder.top() - 5, 14, 5));
    return picture;
}

}  // namespace

int main(int argc, char* argv[]) {
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: welcome_pictures <output directory>\n");
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    if (!out.mkpath(".")) return 1;
    const bool written = LinkIcons().save(out.filePath("link-icons.png")) && Banner().save(out.filePath("banner.png"));
    return written ? 0 : 1;
}

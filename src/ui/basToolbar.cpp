#include "ui/basToolbar.h"

#include <QAction>
#include <QFont>
#include <QHash>
#include <QImage>
#include <QLayout>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QToolBar>
#include <QToolButton>
#include <QWidget>

namespace {

QString cleanPattern(const QString& pattern) {
    return QString(pattern).remove(QLatin1Char('-'));
}

// Colour of each button's picture, so the groups of four read apart at a glance. Every one is a
// clear colour: grey is what a button that cannot be used now looks like.
QColor pictureColour(int n) {
    switch (n) {
    case 1:
        return QColor(0x2e, 0x7d, 0x32);
    case 5:
        return QColor(0x15, 0x65, 0xc0);
    case 6:
        return QColor(0xef, 0x6c, 0x00);
    case 8:
        return QColor(0xc6, 0x28, 0x28);
    case 12:
        return QColor(0x6a, 0x1b, 0x9a);
    default:
        return n <= 4   ? QColor(0x00, 0x69, 0x5c)
               : n <= 8 ? QColor(0x00, 0x83, 0x8f)
                        : QColor(0x5d, 0x40, 0x37);
    }
}

// The picture of a button that cannot be used now: grey and faint, whatever its colour.
QPixmap disabledPicture(const QPixmap& pm) {
    QImage grey = pm.toImage().convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < grey.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(grey.scanLine(y));
        for (int x = 0; x < grey.width(); ++x) {
            const int g = 150 + qGray(line[x]) * 90 / 255;
            line[x] = qRgba(g, g, g, qAlpha(line[x]) * 45 / 100);
        }
    }
    return QPixmap::fromImage(grey);
}

// A small sign of what the button does, drawn under its key name.
void drawSign(QPainter& p, int n, const QRectF& r) {
    p.save();
    QPen pen(Qt::white, 2.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    const QPointF c = r.center();
    const double h = r.height() / 2.0;
    switch (n) {
    case 1: // help: a question mark
    {
        QFont f = p.font();
        f.setBold(true);
        f.setPixelSize(int(r.height()));
        p.setFont(f);
        p.drawText(r, Qt::AlignCenter, QStringLiteral("?"));
        break;
    }
    case 2: // next: arrow right
        p.drawLine(QPointF(c.x() - h, c.y()), QPointF(c.x() + h, c.y()));
        p.drawLine(QPointF(c.x() + h / 2, c.y() - h / 2), QPointF(c.x() + h, c.y()));
        p.drawLine(QPointF(c.x() + h / 2, c.y() + h / 2), QPointF(c.x() + h, c.y()));
        break;
    case 3: // previous: arrow left
        p.drawLine(QPointF(c.x() - h, c.y()), QPointF(c.x() + h, c.y()));
        p.drawLine(QPointF(c.x() - h / 2, c.y() - h / 2), QPointF(c.x() - h, c.y()));
        p.drawLine(QPointF(c.x() - h / 2, c.y() + h / 2), QPointF(c.x() - h, c.y()));
        break;
    case 4: // list: three lines
        for (int i = -1; i <= 1; ++i)
            p.drawLine(QPointF(c.x() - h, c.y() + i * h * 0.7), QPointF(c.x() + h, c.y() + i * h * 0.7));
        break;
    case 5: // save: a tick
        p.drawLine(QPointF(c.x() - h, c.y()), QPointF(c.x() - h / 3, c.y() + h * 0.7));
        p.drawLine(QPointF(c.x() - h / 3, c.y() + h * 0.7), QPointF(c.x() + h, c.y() - h * 0.7));
        break;
    case 6: // cancel: a bent arrow back
    {
        QPainterPath path;
        path.moveTo(c.x() + h, c.y() + h * 0.7);
        path.lineTo(c.x() + h, c.y() - h * 0.2);
        path.lineTo(c.x() - h, c.y() - h * 0.2);
        p.drawPath(path);
        p.drawLine(QPointF(c.x() - h, c.y() - h * 0.2), QPointF(c.x() - h / 2, c.y() - h * 0.7));
        p.drawLine(QPointF(c.x() - h, c.y() - h * 0.2), QPointF(c.x() - h / 2, c.y() + h * 0.3));
        break;
    }
    case 8: // delete: a cross
        p.drawLine(QPointF(c.x() - h * 0.7, c.y() - h * 0.7), QPointF(c.x() + h * 0.7, c.y() + h * 0.7));
        p.drawLine(QPointF(c.x() - h * 0.7, c.y() + h * 0.7), QPointF(c.x() + h * 0.7, c.y() - h * 0.7));
        break;
    case 9: // master screen: a card
        p.drawRect(QRectF(c.x() - h, c.y() - h * 0.7, 2 * h, 1.4 * h));
        p.drawLine(QPointF(c.x() - h * 0.6, c.y()), QPointF(c.x() + h * 0.6, c.y()));
        break;
    case 10: // print: a printer
        p.drawRect(QRectF(c.x() - h, c.y() - h * 0.3, 2 * h, h));
        p.drawRect(QRectF(c.x() - h * 0.6, c.y() - h, 1.2 * h, h * 0.7));
        break;
    case 12: // end: a door with an arrow out
        p.drawRect(QRectF(c.x() - h, c.y() - h, h, 2 * h));
        p.drawLine(QPointF(c.x() - h * 0.3, c.y()), QPointF(c.x() + h, c.y()));
        p.drawLine(QPointF(c.x() + h * 0.5, c.y() - h * 0.5), QPointF(c.x() + h, c.y()));
        p.drawLine(QPointF(c.x() + h * 0.5, c.y() + h * 0.5), QPointF(c.x() + h, c.y()));
        break;
    default: // F7, F11: no function
        p.drawPoint(c);
        break;
    }
    p.restore();
}

} // namespace

QString fnToolbarTip(int n) {
    switch (n) {
    case 1:
        return QStringLiteral("F1 ヘルプを表示");
    case 2:
        return QStringLiteral("F2 次のデータを検索");
    case 3:
        return QStringLiteral("F3 前のデータを検索");
    case 4:
        return QStringLiteral("F4 一覧表を表示");
    case 5:
        return QStringLiteral("F5 保存");
    case 6:
        return QStringLiteral("F6 ｷｬﾝｾﾙ");
    case 7:
        return QStringLiteral("F7");
    case 8:
        return QStringLiteral("F8 削除");
    case 9:
        return QStringLiteral("F9 マスター画面を呼出");
    case 10:
        return QStringLiteral("F10 印刷");
    case 11:
        return QStringLiteral("F11");
    case 12:
        return QStringLiteral("F12 終了");
    default:
        return QString();
    }
}

QIcon fnToolbarPicture(int n) {
    // Drawn once a key: every form and popup sets its toolbar when it opens.
    static QHash<int, QIcon> drawn;
    if (const auto it = drawn.constFind(n); it != drawn.constEnd()) return *it;
    QIcon icon;
    for (int size : {24, 32, 48}) {
        QPixmap pm(size, size);
        pm.fill(Qt::transparent);
        QPainter p(&pm);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(Qt::NoPen);
        p.setBrush(pictureColour(n));
        p.drawRoundedRect(QRectF(1, 1, size - 2, size - 2), size / 6.0, size / 6.0);
        QFont f = p.font();
        f.setBold(true);
        f.setPixelSize(size * 3 / 8);
        p.setFont(f);
        p.setPen(Qt::white);
        p.drawText(QRectF(0, 1, size, size * 0.42), Qt::AlignCenter, QStringLiteral("F%1").arg(n));
        drawSign(p, n, QRectF(size * 0.3, size * 0.5, size * 0.4, size * 0.36));
        p.end();
        icon.addPixmap(pm);
        icon.addPixmap(disabledPicture(pm), QIcon::Disabled);
    }
    drawn.insert(n, icon);
    return icon;
}

QIcon fnProgramIcon() {
    QIcon icon;
    for (int size : {16, 32, 48, 64}) {
        QPixmap pm(size, size);
        pm.fill(Qt::transparent);
        QPainter p(&pm);
        p.setRenderHint(QPainter::Antialiasing);
        // Three stacked boxes: stock.
        const double u = size / 16.0;
        const QColor colours[3] = {QColor(0x8d, 0x6e, 0x63), QColor(0xa1, 0x88, 0x7f),
                                   QColor(0xbc, 0xaa, 0xa4)};
        const QRectF boxes[3] = {QRectF(1 * u, 8 * u, 7 * u, 7 * u), QRectF(8 * u, 8 * u, 7 * u, 7 * u),
                                 QRectF(4.5 * u, 1 * u, 7 * u, 7 * u)};
        for (int i = 0; i < 3; ++i) {
            p.setPen(QPen(QColor(0x4e, 0x34, 0x2e), u * 0.6));
            p.setBrush(colours[i]);
            p.drawRect(boxes[i]);
            p.drawLine(QPointF(boxes[i].left(), boxes[i].top() + 2 * u),
                       QPointF(boxes[i].right(), boxes[i].top() + 2 * u));
        }
        p.end();
        icon.addPixmap(pm);
    }
    return icon;
}

QToolBar* fnCreateFunctionToolbar(QWidget* parent) {
    auto* tb = new QToolBar(parent);
    tb->setObjectName(QStringLiteral("tlbFunction"));
    tb->setMovable(false);
    tb->setFloatable(false);
    tb->setIconSize(QSize(32, 32));
    tb->setToolButtonStyle(Qt::ToolButtonIconOnly);
    tb->setContextMenuPolicy(Qt::PreventContextMenu);
    for (int n = 1; n <= 12; ++n) {
        auto* a = tb->addAction(QStringLiteral("F%1").arg(n));
        a->setObjectName(QStringLiteral("F%1").arg(n));
        a->setData(n);
        if (auto* button = tb->widgetForAction(a)) {
            button->setObjectName(QStringLiteral("F%1").arg(n));
            // The buttons never take the focus away from the field being worked.
            button->setFocusPolicy(Qt::NoFocus);
        }
        if (n % 4 == 0) tb->addSeparator();
    }
    return tb;
}

QAction* fnToolbarButton(const QToolBar* tb, int n) {
    if (!tb) return nullptr;
    const QString key = QStringLiteral("F%1").arg(n);
    for (QAction* a : tb->actions())
        if (a->objectName() == key) return a;
    return nullptr;
}

void fnSetToolbar(QToolBar* tb, QList<QIcon>& images, const QString& pattern) {
    const QString p = cleanPattern(pattern);
    images.clear();
    for (int i = 1; i <= p.size(); ++i)
        images.append(fnToolbarPicture(i));
    if (!tb) return;
    for (int i = 1; i <= p.size(); ++i) {
        QAction* a = fnToolbarButton(tb, i);
        if (!a) continue;
        // A screen reader says the caption, whether the button is usable now or not.
        if (QWidget* button = tb->widgetForAction(a)) button->setAccessibleName(fnToolbarTip(i));
        if (p.at(i - 1) == QLatin1Char('1')) {
            a->setIcon(images.at(i - 1));
            a->setToolTip(fnToolbarTip(i));
            a->setEnabled(true);
        } else {
            a->setEnabled(false);
        }
    }
}

void fnEnableToolbar(QToolBar* tb, const QString& pattern) {
    if (!tb) return;
    const QString p = cleanPattern(pattern);
    for (int i = 1; i <= p.size(); ++i) {
        if (QAction* a = fnToolbarButton(tb, i)) a->setEnabled(p.at(i - 1) == QLatin1Char('1'));
    }
}

void fnFitToolbar(QWidget* frm, QToolBar* tb) {
    if (!frm || !tb) return;
    const int height = tb->sizeHint().height();
    QLayout* layout = frm->layout();
    bool moved = false;
    for (QObject* o : frm->children()) {
        auto* w = qobject_cast<QWidget*>(o);
        if (!w || w == tb || w->isWindow()) continue;
        if (layout && layout->indexOf(w) >= 0) continue;
        w->move(w->x(), w->y() + height);
        moved = true;
    }
    if (moved) frm->resize(frm->width(), frm->height() + height);

    // Width of the first 15 buttons (twelve keys and the separators), however many there are.
    int sum = 0;
    int lastSeparator = 0;
    const QList<QAction*> actions = tb->actions();
    for (int i = 0; i < actions.size() && i < 15; ++i) {
        QWidget* w = tb->widgetForAction(actions.at(i));
        const int wd = w ? w->sizeHint().width() : 0;
        sum += wd;
        if (actions.at(i)->isSeparator()) lastSeparator = wd;
    }
    if (const QLayout* tl = tb->layout()) sum += tl->contentsMargins().left() + tl->contentsMargins().right();
    if (sum > frm->width()) {
        frm->resize(sum + lastSeparator, frm->height());
    }
    frm->setMinimumWidth(qMax(frm->minimumWidth(), qMin(sum + lastSeparator, frm->maximumWidth())));
}

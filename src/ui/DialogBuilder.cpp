#include "ui/DialogBuilder.h"

#include "ui/ListBox.h"
#include "ui/TemplateButtons.h"

#include "res/resource.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollArea>
#include <QStringList>
#include <QStyle>
#include <QStyleOptionButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cstdlib>
#include <cstring>

// Outside any namespace: the macro declares the registration function.
static void InitResources()
{
    // The images live in a static library, whose resources must be registered.
    Q_INIT_RESOURCE(zm_config);
}

QString ResourceImagePath(int id)
{
    InitResources();
    if (id == IDR_MAINFRAME)
        return QStringLiteral(":/zm_config/icon128.png");
    return QStringLiteral(":/zm_config/bitmap%1.png").arg(id);
}

QFont CDialogBuilder::DialogFont(const DialogTemplate& dialog)
{
    QFont font;
    const QString face = QString::fromLatin1(dialog.fontFace);
    if (QFontDatabase::hasFamily(face))
        font.setFamilies({face});
    else
        font.setFamilies({QStringLiteral("DejaVu Sans"), QStringLiteral("Sans Serif")});
    font.setPointSize(dialog.fontPoints);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

DialogBaseUnits CDialogBuilder::BaseUnits(const QFont& font)
{
    const QFontMetrics metrics(font);
    const int alphabet = metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    return {AverageCharWidth(alphabet), metrics.height()};
}

void CDialogBuilder::SetFactory(int id, Factory factory)
{
    m_factories.insert(id, std::move(factory));
}

QRect CDialogBuilder::ToPixels(const ControlTemplate& control) const
{
    const PixelRect r = MapDialogRect(control.x, control.y, control.w, control.h, m_units);
    return {r.x, r.y, r.w, r.h};
}

namespace {

// Dialog units by which two centres may differ and still share a line.
constexpr int kLineTolerance = 2;

bool IsLabel(const ControlTemplate& c)
{
    return c.kind == ControlKind::Static && c.caption != nullptr && *c.caption != '\0';
}

bool OnOneLine(const ControlTemplate& a, const ControlTemplate& b)
{
    return std::abs((2 * a.y + a.h) - (2 * b.y + b.h)) <= 2 * kLineTolerance;
}

bool OverlapsHorizontally(const ControlTemplate& a, const ControlTemplate& b)
{
    return a.x < b.x + b.w && b.x < a.x + a.w;
}

// The nearest label on the control's line: to its left, or else to its right.
const ControlTemplate* RowLabel(const DialogTemplate& dialog, const ControlTemplate& control)
{
    const ControlTemplate* left = nullptr;
    const ControlTemplate* right = nullptr;
    for (const ControlTemplate& label : dialog.controls) {
        if (&label == &control || !IsLabel(label) || !OnOneLine(label, control))
            continue;
        if (label.x + label.w <= control.x && (!left || label.x + label.w > left->x + left->w))
            left = &label;
        else if (label.x >= control.x + control.w && (!right || label.x < right->x))
            right = &label;
    }
    return left ? left : right;
}

// A label that names the controls on its own line heads no column.
bool LabelsALine(const DialogTemplate& dialog, const ControlTemplate& label)
{
    for (const ControlTemplate& other : dialog.controls)
        if (other.kind != ControlKind::Static && other.kind != ControlKind::Bitmap && RowLabel(dialog, other) == &label)
            return true;
    return false;
}

const ControlTemplate* ColumnHeading(const DialogTemplate& dialog, const ControlTemplate& control)
{
    const ControlTemplate* nearest = nullptr;
    for (const ControlTemplate& label : dialog.controls) {
        if (&label == &control || !IsLabel(label) || label.y + label.h > control.y
            || !OverlapsHorizontally(label, control))
            continue;
        if (!nearest || label.y + label.h > nearest->y + nearest->h)
            nearest = &label;
    }
    return nearest && !LabelsALine(dialog, *nearest) ? nearest : nullptr;
}

bool CaptionIsUnique(const DialogTemplate& dialog, const ControlTemplate& control)
{
    for (const ControlTemplate& other : dialog.controls)
        if (&other != &control && other.kind != ControlKind::Static && other.caption != nullptr
            && std::strcmp(other.caption, control.caption) == 0)
            return false;
    return true;
}

} // namespace

QString CDialogBuilder::AccessibleName(const DialogTemplate& dialog, const ControlTemplate& control)
{
    if (control.accessibleName != nullptr)
        return QString::fromLatin1(control.accessibleName);
    const QString caption = QString::fromLatin1(control.caption ? control.caption : "");
    if (control.kind == ControlKind::Static || (!caption.isEmpty() && CaptionIsUnique(dialog, control)))
        return caption;
    QStringList parts;
    if (const ControlTemplate* heading = ColumnHeading(dialog, control))
        parts.append(QString::fromLatin1(heading->caption));
    if (const ControlTemplate* row = RowLabel(dialog, control))
        parts.append(QString::fromLatin1(row->caption));
    if (!caption.isEmpty())
        parts.append(caption);
    return parts.join(QLatin1Char(' '));
}

namespace {

QSize DialogSize(const DialogTemplate& dialog, DialogBaseUnits units)
{
    return {DialogUnitsToPixelsX(dialog.w, units), DialogUnitsToPixelsY(dialog.h, units)};
}

bool Fits(QSize size, QSize room)
{
    return room.isEmpty() || (size.width() <= room.width() && size.height() <= room.height());
}

// Room for the title bar and the borders that a window manager puts around
// a window's client area.
constexpr QSize kWindowFrame(16, 40);

} // namespace

QSize ScreenRoom(const QWidget* window)
{
    const QWidget* owner = window ? window->parentWidget() : nullptr;
    const QScreen* screen = owner ? owner->screen() : QGuiApplication::primaryScreen();
    if (screen == nullptr)
        return {};
    return (screen->availableGeometry().size() - kWindowFrame).expandedTo(QSize(1, 1));
}

int CDialogBuilder::FittingScale(const DialogTemplate& dialog, DialogBaseUnits units) const
{
    const QSize laidOut = DialogSize(dialog, units);
    if (Fits(laidOut, m_room))
        return DialogBaseUnits::kFullScale;
    // The ratio of the sizes, then down by rounding until every edge fits.
    units.scale = std::min(m_room.width() * DialogBaseUnits::kFullScale / laidOut.width(),
                           m_room.height() * DialogBaseUnits::kFullScale / laidOut.height());
    while (units.scale > kMinimumScale && !Fits(DialogSize(dialog, units), m_room))
        --units.scale;
    return std::max(units.scale, kMinimumScale);
}

QWidget* CDialogBuilder::ScrollingPage(QWidget* window, QSize size)
{
    m_scrollArea = new QScrollArea(window);
    m_scrollArea->setFrameShape(QFrame::NoFrame);
    auto* page = new QWidget;
    page->setFixedSize(size);
    m_scrollArea->setWidget(page);
    auto* layout = new QVBoxLayout(window);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_scrollArea);
    // Never larger than the whole page, which then needs no scroll bar.
    window->setMaximumSize(size);
    window->resize(size.boundedTo(m_room));
    return page;
}

QHash<int, QWidget*> CDialogBuilder::Build(QWidget* window, const DialogTemplate& dialog)
{
    QFont font = DialogFont(dialog);
    m_units = BaseUnits(font);
    m_units.scale = FittingScale(dialog, m_units);
    if (m_units.scale != DialogBaseUnits::kFullScale)
        font.setPointSizeF(dialog.fontPoints * m_units.scale / double(DialogBaseUnits::kFullScale));
    window->setFont(font);
    window->setWindowTitle(QString::fromLatin1(dialog.caption));
    const QSize size = DialogSize(dialog, m_units);
    m_scrollArea = nullptr;
    QWidget* page = window;
    if (Fits(size, m_room))
        window->setFixedSize(size);
    else
        page = ScrollingPage(window, size);

    QHash<int, QWidget*> controls;
    QButtonGroup* radioGroup = nullptr;   // automatic radio buttons since the last group start
    QWidget* previous = nullptr;
    for (const ControlTemplate& control : dialog.controls) {
        const auto factory = m_factories.constFind(control.id);
        QWidget* widget = factory != m_factories.constEnd() ? (*factory)(control, page)
                                                            : CreateControl(control, page);
        widget->setObjectName(QString::number(control.id));
        if (control.style & kStyleGroup)
            radioGroup = nullptr;
        if (control.kind == ControlKind::RadioButton && (control.style & kStyleAutoCheck)) {
            // Qt would make every automatic radio button of the window one
            // group; the template's groups decide instead.
            if (auto* radio = qobject_cast<QAbstractButton*>(widget)) {
                if (!radioGroup)
                    radioGroup = new QButtonGroup(window);
                radioGroup->addButton(radio);
            }
        }
        widget->setAccessibleName(AccessibleName(dialog, control));
        QRect rect = ToPixels(control);
        if (control.kind == ControlKind::Bitmap && control.w == 0 && control.h == 0)
            rect.setSize(widget->sizeHint());
        widget->setGeometry(rect);
        QStringList tip;
        if (const QString cut = CutCaption(widget); !cut.isEmpty())
            tip.append(cut);
        if (control.description != nullptr) {
            tip.append(QString::fromLatin1(control.description));
            widget->setAccessibleDescription(tip.back());
        }
        widget->setToolTip(tip.join(QLatin1Char('\n')));
        controls.insert(control.id, widget);
        // Focus follows the template, also for widgets a factory made earlier.
        if (widget->focusPolicy() & Qt::TabFocus) {
            if (previous)
                QWidget::setTabOrder(previous, widget);
            previous = widget;
        }
    }
    return controls;
}

QString CDialogBuilder::CutCaption(const QWidget* control)
{
    const QFontMetrics metrics(control->font());
    int room = control->width();
    QString caption;
    if (const auto* label = qobject_cast<const QLabel*>(control); label && label->pixmap().isNull()) {
        caption = label->text();
    } else if (const auto* push = qobject_cast<const QPushButton*>(control)) {
        caption = push->text();
        QStyleOptionButton option;
        option.initFrom(push);
        room = push->style()->subElementRect(QStyle::SE_PushButtonContents, &option, push).width();
    } else if (const auto* button = qobject_cast<const QAbstractButton*>(control)) {
        // A check box or radio button: its mark and the caption beside it.
        return button->sizeHint().width() > room ? button->text() : QString();
    } else if (const auto* group = qobject_cast<const QGroupBox*>(control)) {
        caption = group->title();
        room -= 2 * metrics.averageCharWidth();
    }
    return metrics.horizontalAdvance(caption) > room ? caption : QString();
}

QWidget* CDialogBuilder::CreateControl(const ControlTemplate& control, QWidget* parent) const
{
    const QString caption = QString::fromLatin1(control.caption);
    switch (control.kind) {
    case ControlKind::PushButton:
    case ControlKind::DefPushButton: {
        auto* button = new QPushButton(caption, parent);
        button->setDefault(control.kind == ControlKind::DefPushButton);
        return button;
    }
    case ControlKind::PushLikeCheck:
        return new CProgramCheckedButton<QPushButton>(caption, parent);
    case ControlKind::CheckBox:
        if (control.style & kStyleAutoCheck)
            return new CWholeRectButton<QCheckBox>(caption, parent);
        return new CProgramCheckedButton<QCheckBox>(caption, parent);
    case ControlKind::RadioButton:
        if (control.style & kStyleAutoCheck)
            return new CWholeRectButton<QRadioButton>(caption, parent);
        return new CProgramCheckedButton<QRadioButton>(caption, parent);
    case ControlKind::ListBox: {
        auto* list = new CListBox((control.style & kStyleSort) != 0, parent);
        list->setVerticalScrollBarPolicy((control.style & kStyleVScroll) ? Qt::ScrollBarAsNeeded
                                                                           : Qt::ScrollBarAlwaysOff);
        list->setHorizontalScrollBarPolicy((control.style & kStyleHScroll) ? Qt::ScrollBarAsNeeded
                                                                             : Qt::ScrollBarAlwaysOff);
        return list;
    }
    case ControlKind::Edit: {
        auto* edit = new QLineEdit(caption, parent);
        if (control.style & kStyleReadOnly) {
            edit->setReadOnly(true);
            // Read-only edits show the dialog's face colour, so nobody tries to type.
            QPalette palette = edit->palette();
            palette.setColor(QPalette::Base, palette.color(QPalette::Window));
            edit->setPalette(palette);
        }
        return edit;
    }
    case ControlKind::Static: {
        auto* label = new QLabel(caption, parent);
        label->setAlignment((control.style & kStyleCentre) ? Qt::AlignHCenter | Qt::AlignTop
                                                           : Qt::AlignLeft | Qt::AlignTop);
        label->setTextFormat(Qt::PlainText);
        return label;
    }
    case ControlKind::Bitmap: {
        auto* picture = new QLabel(parent);
        picture->setPixmap(QPixmap(ResourceImagePath(control.image)));
        return picture;
    }
    case ControlKind::GroupBox:
        // Only a frame: the controls inside are the dialog's own, created
        // after it and so drawn above it.
        return new QGroupBox(caption, parent);
    }
    return new QWidget(parent);
}

#include "ui/TemplateDialog.h"

#include "res/resource.h"
#include "ui/ListBox.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>

QString FromLatin1(std::string_view text)
{
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

CTemplateDialog::CTemplateDialog(QWidget* parent)
    : QDialog(parent)
{
}

void CTemplateDialog::BuildFromTemplate(int templateId)
{
    CDialogBuilder builder;
    BuildFromTemplate(templateId, builder);
}

void CTemplateDialog::BuildFromTemplate(int templateId, CDialogBuilder& builder)
{
    builder.SetRoom(ScreenRoom(this));
    m_controls = builder.Build(this, *FindDialogTemplate(templateId));
    ConnectControls();
}

void CTemplateDialog::ConnectControls()
{
    for (auto it = m_controls.constBegin(); it != m_controls.constEnd(); ++it) {
        const int id = it.key();
        if (auto* button = qobject_cast<QAbstractButton*>(it.value()))
            connect(button, &QAbstractButton::clicked, this, [this, id] { OnCommand(id); });
        else if (auto* list = qobject_cast<CListBox*>(it.value()))
            connect(list, &CListBox::UserSelChange, this, [this, id](int row) { OnListSelChange(id, row); });
    }
}

void CTemplateDialog::ShowModeless()
{
    setWindowModality(Qt::NonModal);
    show();
    raise();
    activateWindow();
}

void CTemplateDialog::OnCommand(int id)
{
    if (id == IDOK)
        OnOK();
    else if (id == IDCANCEL)
        OnCancel();
}

void CTemplateDialog::OnListSelChange(int, int)
{
}

void CTemplateDialog::OnOK()
{
    QDialog::done(IDOK);
}

void CTemplateDialog::OnCancel()
{
    QDialog::done(IDCANCEL);
}

void CTemplateDialog::closeEvent(QCloseEvent* event)
{
    // The handler decides whether the window goes.
    event->ignore();
    OnClose();
}

void CTemplateDialog::accept()
{
    OnOK();
}

void CTemplateDialog::reject()
{
    OnCancel();
}

// --- IDialogControls -----------------------------------------------------------

void CTemplateDialog::AppendLine(std::string_view)
{
}

void CTemplateDialog::ScrollToLast()
{
}

void CTemplateDialog::SetControlText(int id, std::string_view text)
{
    QWidget* control = Control(id);
    if (auto* edit = qobject_cast<QLineEdit*>(control)) {
        edit->setText(FromLatin1(text));
        edit->setCursorPosition(0);   // show the start of a long text, not its end
    } else if (auto* label = qobject_cast<QLabel*>(control))
        label->setText(FromLatin1(text));
    else if (auto* button = qobject_cast<QAbstractButton*>(control))
        button->setText(FromLatin1(text));
    else
        qWarning("zm_config: control %d has no text to set", id);
}

CListBox* CTemplateDialog::List(int id) const
{
    auto* list = qobject_cast<CListBox*>(Control(id));
    if (!list)
        qWarning("zm_config: control %d is not a list box", id);
    return list;
}

void CTemplateDialog::SelectListLine(int id, int index)
{
    if (CListBox* list = List(id))
        list->SelectLine(index);
}

void CTemplateDialog::InsertListLine(int id, int index, std::string_view text)
{
    if (CListBox* list = List(id))
        list->InsertLine(index, FromLatin1(text));
}

void CTemplateDialog::AddListLine(int id, std::string_view text)
{
    if (CListBox* list = List(id))
        list->AddLine(FromLatin1(text));
}

void CTemplateDialog::ReplaceListLine(int id, int index, std::string_view text)
{
    if (CListBox* list = List(id))
        list->ReplaceLine(index, FromLatin1(text));
}

void CTemplateDialog::ResetList(int id)
{
    if (CListBox* list = List(id))
        list->clear();
}

void CTemplateDialog::SetCheck(int id, bool checked)
{
    auto* button = qobject_cast<QAbstractButton*>(Control(id));
    if (!button || !button->isCheckable()) {
        qWarning("zm_config: control %d cannot be checked", id);
        return;
    }
    // An exclusive group refuses to clear its checked button; the program
    // may clear it all the same, as it may any radio button.
    QButtonGroup* group = button->group();
    const bool exclusive = group && group->exclusive();
    if (exclusive && !checked)
        group->setExclusive(false);
    button->setChecked(checked);
    if (exclusive && !checked)
        group->setExclusive(true);
}

std::string CTemplateDialog::ControlText(int id) const
{
    if (const auto* edit = qobject_cast<const QLineEdit*>(Control(id)))
        return edit->text().toLatin1().toStdString();
    return {};
}

void CTemplateDialog::SetTextLimit(int id, int chars)
{
    if (auto* edit = qobject_cast<QLineEdit*>(Control(id)))
        edit->setMaxLength(chars);
    else
        qWarning("zm_config: control %d is not an edit", id);
}

void CTemplateDialog::FocusDialog()
{
    setFocus(Qt::OtherFocusReason);
}

// CTemplateDialog: what every dialog of the program does the same way.
//
// - Built from its template (res/) by CDialogBuilder, to fit the screen it
//   opens on; every control carries its numeric id as objectName, and
//   Control(id) finds it.
// - Routes the user's clicks (OnCommand) and list selections
//   (OnListSelChange) by control id. Selections the program makes never
//   reach OnListSelChange.
// - Implements the control interface (IDialogControls) over its widgets, so
//   that Qt-free editors can fill and redraw it. A dialog without a message
//   window logs nowhere: AppendLine and ScrollToLast do nothing here.
// - Runs modeless (ShowModeless) or under the caller's modal loop. OK, Enter,
//   Cancel, Escape and the close box reach OnOK() / OnCancel(), which by
//   default end the dialog with their result.
//
// Text is 8-bit and shown as Latin-1. Window thread only.
#pragma once

#include "editors/DialogControls.h"
#include "ui/DialogBuilder.h"

#include <QDialog>
#include <QHash>

class CListBox;

class CTemplateDialog : public QDialog, public IDialogControls {
    Q_OBJECT
public:
    explicit CTemplateDialog(QWidget* parent = nullptr);

    //! The control with dialog identifier `id`, or nullptr.
    QWidget* Control(int id) const { return m_controls.value(id); }

    //! Shows the dialog without blocking its owner, and brings it forward.
    void ShowModeless();

    // IDialogControls
    void AppendLine(std::string_view line) override;
    void ScrollToLast() override;
    void SetControlText(int id, std::string_view text) override;
    void SelectListLine(int id, int index) override;
    void InsertListLine(int id, int index, std::string_view text) override;
    void AddListLine(int id, std::string_view text) override;
    void ReplaceListLine(int id, int index, std::string_view text) override;
    void ResetList(int id) override;
    void SetCheck(int id, bool checked) override;
    std::string ControlText(int id) const override;
    void SetTextLimit(int id, int chars) override;
    void FocusDialog() override;

protected:
    //! Builds the controls of template `templateId` (with `builder`'s
    //! factories) for the room on the screen and connects their events.
    //! Derived constructors call it once.
    void BuildFromTemplate(int templateId, CDialogBuilder& builder);
    void BuildFromTemplate(int templateId);

    //! A button was clicked: IDOK and IDCANCEL go to OnOK() / OnCancel().
    virtual void OnCommand(int id);
    //! The user selected line `index` of list `id`.
    virtual void OnListSelChange(int id, int index);
    virtual void OnOK();
    virtual void OnCancel();
    //! The close box; a Cancel unless the dialog says otherwise.
    virtual void OnClose() { OnCancel(); }

    void closeEvent(QCloseEvent* event) override;

public:
    //! Enter and Escape (QDialog's own keys) are OK and Cancel.
    void accept() override;
    void reject() override;

private:
    void ConnectControls();
    //! The list box `id`, or nullptr with a warning.
    CListBox* List(int id) const;

    QHash<int, QWidget*> m_controls;
};

//! `text` (8-bit) as Latin-1.
QString FromLatin1(std::string_view text);

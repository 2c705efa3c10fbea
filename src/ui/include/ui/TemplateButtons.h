// The check boxes and radio buttons that dialog templates make.
//
// CWholeRectButton takes a click anywhere in its rectangle, as a push button
// does: the toolkit's own check box and radio button count only the mark and
// the caption's text, so a click to the right of a short caption would do
// nothing.
//
// CProgramCheckedButton is a check box, radio button or push-like button
// whose check state only the program sets. A click still reports clicked(),
// but the button does not change its own state: the handler decides what it
// shows (SetCheck). Radio buttons of this kind are not grouped, so the
// program can also clear all of them.
#pragma once

#include <QAbstractButton>
#include <QPoint>

template <typename TButton>
class CWholeRectButton : public TButton {
public:
    using TButton::TButton;

protected:
    bool hitButton(const QPoint& pos) const override { return this->rect().contains(pos); }
};

template <typename TButton>
class CProgramCheckedButton : public CWholeRectButton<TButton> {
public:
    explicit CProgramCheckedButton(const QString& caption, QWidget* parent = nullptr)
        : CWholeRectButton<TButton>(caption, parent)
    {
        this->setCheckable(true);
        this->setAutoExclusive(false);
    }

protected:
    void nextCheckState() override {}
};

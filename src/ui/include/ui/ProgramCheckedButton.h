// A check box, radio button or push-like button whose check state only the
// program sets.
//
// A click still reports clicked(), but the button does not change its own
// state: the handler decides what it shows (SetCheck). Radio buttons of this
// kind are not grouped, so the program can also clear all of them.
#pragma once

#include <QAbstractButton>

template <typename TButton>
class CProgramCheckedButton : public TButton {
public:
    explicit CProgramCheckedButton(const QString& caption, QWidget* parent = nullptr)
        : TButton(caption, parent)
    {
        this->setCheckable(true);
        this->setAutoExclusive(false);
    }

protected:
    void nextCheckState() override {}
};

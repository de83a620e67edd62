// Inside the window layer: the Qt side of an edit, a line edit or a
// plain-text edit for memos.
#pragma once
#include <QString>
#include <QWidget>

namespace plat {

// The Qt side of an edit: a line edit, or a plain-text edit for memos.
class EditBox {
  public:
    virtual ~EditBox() = default;
    virtual QWidget* widget() = 0;
    virtual QString text() const = 0;
    virtual void setText(const QString& s) = 0;
    virtual int selStart() const = 0;
    virtual int selLength() const = 0;
    virtual void setSelection(int start, int length) = 0;
    virtual QString selText() const = 0;
    virtual void insert(const QString& s) = 0;
    virtual bool modified() const = 0;
    virtual void setModified(bool v) = 0;
    virtual void setReadOnly(bool v) = 0;
    virtual void copy() = 0;
    virtual void cut() = 0;
    virtual void paste() = 0;
    virtual void undo() = 0;
};

}  // namespace plat

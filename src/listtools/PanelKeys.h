#pragma once
#include <QObject>
#include <functional>

class QWidget;

// Enter and Esc on single controls of the tools dialog: Enter runs the panel's action, Esc
// closes the dialog. Other keys go on to the control.
namespace veltor {

class PanelKeys : public QObject {
public:
    PanelKeys(QObject *parent, std::function<void()> onEnter, std::function<void()> onEscape);
    void watch(QWidget *control);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    std::function<void()> m_onEnter;
    std::function<void()> m_onEscape;
};

} // namespace veltor

#include "app/form1.h"

#include <QCheckBox>
#include <QMouseEvent>
#include <QRadioButton>

void Form1::setupPointerFeedback() {
    // The window and its toolbar controls hear the mouse move without a button held.
    setMouseTracking(true);
    QWidget* const controls[] = {
        PushButton1,  PushButton2,  PushButton3, PushButton4,  PushButton5,  PushButton6,
        PushButton7,  PushButton8,  PushButton9, PushButton10, PushButton11, PushButton12,
        PushButton13, PushButton14, Check1,      Check2,       Check3,       Check4,
        Option1,      Option2,      Option3};
    for (QWidget* control : controls) {
        control->setMouseTracking(true);
        control->installEventFilter(this);
        control->setProperty("ferrotabHand", true);
    }
}

void Form1::setMousePointer(qint16 pointer) {
    if (pointer == MousePointer)
        return;
    MousePointer = pointer;
    if (pointer == 99 && MouseIcon)
        setCursor(*MouseIcon);
    else
        unsetCursor();
}

bool Form1::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseMove && watched->property("ferrotabHand").toBool())
        setMousePointer(99);
    return QWidget::eventFilter(watched, event);
}

void Form1::mouseMoveEvent(QMouseEvent* event) {
    // A control's move comes up here too when the control ignores it: only the
    // bare window area sets the arrow.
    if (!childAt(event->position().toPoint()))
        setMousePointer(0);
    QWidget::mouseMoveEvent(event);
}

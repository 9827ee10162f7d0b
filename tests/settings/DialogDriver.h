#pragma once
// Acting on a modal dialog from inside its own event loop: a timer, started before exec(),
// waits until a dialog of type D is the active modal widget and hands it to act. A dialog
// that act leaves open is cancelled two seconds later, so a failing check cannot hang a test;
// a driver whose dialog does not come within five seconds gives up.

#include <QApplication>
#include <QDialog>
#include <QPointer>
#include <QTimer>

#include <functional>

namespace dorvane::test {

template <typename D> void WhenDialogOpens(std::function<void(D*)> act)
{
    auto* timer = new QTimer;
    timer->setInterval(20);
    QObject::connect(timer, &QTimer::timeout, [timer, act, ticks = 0]() mutable {
        auto* dialog = qobject_cast<D*>(QApplication::activeModalWidget());
        if (!dialog) {
            if (++ticks > 250) { // no dialog came: do not act on a later test's one
                timer->stop();
                timer->deleteLater();
            }
            return;
        }
        timer->stop();
        timer->deleteLater();
        const QPointer<D> guard(dialog);
        act(dialog);
        QTimer::singleShot(2000, [guard] {
            if (guard && guard->isVisible())
                guard->reject();
        });
    });
    timer->start();
}

} // namespace dorvane::test

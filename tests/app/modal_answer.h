#pragma once

#include <functional>
#include <memory>

#include <QApplication>
#include <QTimer>
#include <QWidget>

namespace tamsel::app::test {

// Answers the next modal dialog of type T that opens while the code under
// test runs its own event loop. Stops looking when it goes out of scope.
template <typename T>
class ModalAnswer {
public:
    explicit ModalAnswer(std::function<void(T&)> answer) : m_Answer(std::move(answer))
    {
        m_Timer.setInterval(5);
        QObject::connect(&m_Timer, &QTimer::timeout, [this] {
            auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget());
            if (dialog == nullptr || !dialog->isVisible()) return;
            m_Timer.stop();
            m_Answered = true;
            m_Answer(*dialog);
        });
        m_Timer.start();
    }
    [[nodiscard]] bool Answered() const noexcept { return m_Answered; }

private:
    std::function<void(T&)> m_Answer;
    QTimer m_Timer;
    bool m_Answered = false;
};

}  // namespace tamsel::app::test

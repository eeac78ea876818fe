#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <deque>
#include <functional>

namespace fotarel::test {

// Waits (running the event loop) until `done` holds or `ms` have passed.
inline bool waitUntil(const std::function<bool()>& done, int ms = 5000)
{
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > ms)
            return false;
        QTest::qWait(5);
    }
    return true;
}

// Once a modal window named `objectName` shows, records its state through
// `inspect` and clicks its button captioned `button`.
inline void answerModal(const QString& objectName, const QString& button,
                        std::function<void(QWidget*)> inspect = {})
{
    auto* timer = new QTimer;
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [timer, objectName, button, inspect] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || modal->objectName() != objectName || !modal->isVisible())
            return;
        timer->stop();
        timer->deleteLater();
        if (inspect)
            inspect(modal);
        for (QAbstractButton* b : modal->findChildren<QAbstractButton*>()) {
            if (b->text() == button) {
                QTest::mouseClick(b, Qt::LeftButton);
                return;
            }
        }
        modal->close();
    });
    timer->start();
}

// Types `text` into `w` as a user does: Latin letters as key presses,
// Chinese as the input method delivers it (a committed string).
inline void typeText(QWidget* w, const QString& text)
{
    QString latin;
    auto flush = [&] {
        if (!latin.isEmpty())
            QTest::keyClicks(w, latin);
        latin.clear();
    };
    for (QChar c : text) {
        if (c.unicode() < 0x80) {
            latin += c;
            continue;
        }
        flush();
        QInputMethodEvent committed;
        committed.setCommitString(QString(c));
        QApplication::sendEvent(w, &committed);
    }
    flush();
}

// The visible button captioned `text` inside `root` (its own windows
// included), or null.
inline QAbstractButton* buttonByText(QWidget* root, const QString& text)
{
    for (QAbstractButton* b : root->findChildren<QAbstractButton*>())
        if (b->text() == text && b->isVisible())
            return b;
    return nullptr;
}

// Presses the visible button captioned `text` with the mouse; false when
// there is none or it is disabled.
inline bool press(QWidget* root, const QString& text)
{
    QAbstractButton* b = buttonByText(root, text);
    if (!b || !b->isEnabled())
        return false;
    QTest::mouseClick(b, Qt::LeftButton);
    return true;
}

// What the user does with the modal windows a command opens, one after the
// other: each step waits for a modal window it accepts (by object name, or
// any file dialog with "QFileDialog"), then acts on it. A step runs inside
// the modal window's own event loop, and may open the next modal window.
// The message window's texts are kept.
class ModalScript {
public:
    using Action = std::function<void(QWidget*)>;

    ModalScript()
    {
        timer_.setInterval(10);
        QObject::connect(&timer_, &QTimer::timeout, [this] { poll(); });
        timer_.start();
    }

    // When a modal window `name` shows, `act` on it.
    ModalScript& then(const QString& name, Action act)
    {
        steps_.push_back({name, std::move(act)});
        return *this;
    }
    // When the modal window `name` shows, press its button `button`.
    ModalScript& press(const QString& name, const QString& button)
    {
        return then(name, [button](QWidget* w) { fotarel::test::press(w, button); });
    }
    // A file dialog: type the files (absolute paths) and press Enter; an
    // empty list cancels it with Escape.
    ModalScript& files(const QStringList& paths)
    {
        return then(QStringLiteral("QFileDialog"), [paths](QWidget* w) {
            if (paths.isEmpty()) {
                QTest::keyClick(w, Qt::Key_Escape);
                return;
            }
            auto* name = w->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            QStringList quoted;
            for (const QString& p : paths)
                quoted << (paths.size() > 1 ? QLatin1Char('"') + p + QLatin1Char('"') : p);
            name->clear();
            typeText(name, quoted.join(QLatin1Char(' ')));
            QTest::keyClick(name, Qt::Key_Return);
        });
    }
    // The message window: note its text and press "确定".
    ModalScript& message() { return press(QStringLiteral("TForm8"), QStringLiteral("确定")); }

    bool done() const { return steps_.empty(); }
    // Waits until every step has run.
    bool finish(int ms = 20000) { return waitUntil([this] { return done(); }, ms); }
    const QStringList& messages() const { return messages_; }
    // Modal windows that showed while no step wanted them (closed).
    const QStringList& unexpected() const { return unexpected_; }

private:
    struct Step {
        QString name;
        Action act;
    };

    static bool matches(QWidget* modal, const QString& name)
    {
        if (name == QLatin1String("QFileDialog"))
            return qobject_cast<QFileDialog*>(modal) != nullptr;
        return modal->objectName() == name;
    }

    void poll()
    {
        // A step's action was queued and has not started: any window it
        // opens is not there yet.
        if (pendingStart_)
            return;
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || !modal->isVisible()) {
            waited_.invalidate();
            candidate_ = nullptr;
            return;
        }
        if (modal->objectName() == QLatin1String("TForm8"))
            if (auto* label = modal->findChild<QLabel*>(QStringLiteral("Label_xianshi_xiaoxi")))
                if (messages_.isEmpty() || lastMessageWindow_ != modal || messages_.last() != label->text()) {
                    messages_ << label->text();
                    lastMessageWindow_ = modal;
                }
        // The window must have stayed in front a moment: a window shown
        // again after a nested one closed may still be finishing the work
        // that window started (and pumping events meanwhile).
        if (modal != candidate_) {
            candidate_ = modal;
            candidateSince_.start();
            return;
        }
        if (candidateSince_.elapsed() < 150)
            return;
        if (!steps_.empty() && matches(modal, steps_.front().name)) {
            Step step = std::move(steps_.front());
            steps_.pop_front();
            waited_.invalidate();
            // Queued, so this poll ends and keeps polling while the action
            // waits in a window it opened.
            pendingStart_ = true;
            candidate_ = nullptr; // the next step waits its own moment
            QTimer::singleShot(0, &timer_, [this, act = std::move(step.act), window = QPointer<QWidget>(modal)] {
                pendingStart_ = false;
                if (window)
                    act(window);
            });
            return;
        }
        // A window no step waits for: give the program a moment (it may be
        // a progress window that closes itself), then close it.
        if (!waited_.isValid())
            waited_.start();
        else if (waited_.elapsed() > 15000) {
            unexpected_ << modal->objectName() + QStringLiteral(" ") + modal->windowTitle();
            modal->close();
            waited_.invalidate();
        }
    }

    QTimer timer_;
    std::deque<Step> steps_;
    QStringList messages_;
    QStringList unexpected_;
    QWidget* lastMessageWindow_ = nullptr;
    QElapsedTimer waited_;
    QPointer<QWidget> candidate_;
    QElapsedTimer candidateSince_;
    bool pendingStart_ = false;
};

} // namespace fotarel::test

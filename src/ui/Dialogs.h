#pragma once
// The one seam for message boxes and file dialogs. The real implementation shows QMessageBox
// and QFileDialog; tests install a scripted one that records every text and answers from a
// queue.

#include <QString>
#include <functional>

class QWidget;

namespace kv {

inline const QString kAppTitle = QStringLiteral("Orvask Delvane Kestavion");

class Dialogs {
public:
    enum class Buttons { Ok, OkCancel, YesNo };
    enum class Icon { None, Stop };
    enum class Answer { Ok, Cancel, Yes, No };

    virtual ~Dialogs() = default;

    virtual Answer message(QWidget *parent, const QString &title, const QString &text,
                           Buttons buttons, Icon icon) = 0;
    // Empty when the operator cancels.
    virtual QString openFileName(QWidget *parent) = 0;
    virtual QString saveFileName(QWidget *parent) = 0;
    // Label files (CSV); without an override, the same dialogs as configuration files.
    virtual QString openLabelFileName(QWidget *parent) { return openFileName(parent); }
    virtual QString saveLabelFileName(QWidget *parent) { return saveFileName(parent); }

    // Plain box: no icon, OK, the application's title.
    void plain(QWidget *parent, const QString &text)
    {
        message(parent, kAppTitle, text, Buttons::Ok, Icon::None);
    }
    bool yesNo(QWidget *parent, const QString &title, const QString &text)
    {
        return message(parent, title, text, Buttons::YesNo, Icon::None) == Answer::Yes;
    }
    bool okCancel(QWidget *parent, const QString &title, const QString &text)
    {
        return message(parent, title, text, Buttons::OkCancel, Icon::None) == Answer::Ok;
    }

    // The installed implementation; the real one unless a test installed its own.
    static Dialogs &instance();
    static void install(Dialogs *dialogs); // nullptr puts the real one back

    // Nobody may be at an unattended console: each box then answers itself after ms with its
    // safe choice (Cancel, No, or the OK of a plain box) and tells report. 0: boxes wait.
    using UnattendedReport =
        std::function<void(const QString &title, const QString &text, Answer answer)>;
    static void answerUnattendedAfter(int ms, UnattendedReport report);
    static int unattendedAfterMs();
    static QString answerName(Answer answer);
};

class QtDialogs : public Dialogs {
public:
    Answer message(QWidget *parent, const QString &title, const QString &text, Buttons buttons,
                   Icon icon) override;
    QString openFileName(QWidget *parent) override;
    QString saveFileName(QWidget *parent) override;
    QString openLabelFileName(QWidget *parent) override;
    QString saveLabelFileName(QWidget *parent) override;

private:
    static Answer answerOf(int result, Buttons buttons, bool escaped);
};

} // namespace kv

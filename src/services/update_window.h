#pragma once

#include <QUrl>
#include <QWidget>

class QLabel;
class QPlainTextEdit;
class QPushButton;

// The small window of the updater: either a release (its version, its
// notes, a button to its download page and "later") or one sentence.
class UpdateWindow final : public QWidget {
    Q_OBJECT
public:
    explicit UpdateWindow(QWidget* parent = nullptr);
    ~UpdateWindow() override;

    void showUpdate(const QString& heading, const QString& notes, const QUrl& downloadPage,
                    const QString& downloadLabel, const QString& laterLabel);
    void showMessage(const QString& text, const QString& okLabel);

    // Shows the window; `activate` false leaves the user's focus where it is.
    void present(bool activate);

    bool isShowingUpdate() const { return showingUpdate_; }
    QString heading() const;
    QString notes() const;
    QUrl downloadPage() const { return downloadPage_; }
    QPushButton* downloadButton() const { return download_; }
    QPushButton* laterButton() const { return later_; }
    QPushButton* okButton() const { return ok_; }

private:
    void openDownloadPage();
    void setHeadingBold(bool bold);

    QLabel* heading_;
    QPlainTextEdit* notes_;
    QPushButton* download_;
    QPushButton* later_;
    QPushButton* ok_;
    QUrl downloadPage_;
    bool showingUpdate_ = false;
};

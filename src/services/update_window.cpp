#include "services/update_window.h"

#include "platform/window_placement.h"

#include <QDesktopServices>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>

UpdateWindow::UpdateWindow(QWidget* parent)
    : QWidget(parent, Qt::Dialog),
      heading_(new QLabel(this)),
      notes_(new QPlainTextEdit(this)),
      download_(new QPushButton(this)),
      later_(new QPushButton(this)),
      ok_(new QPushButton(this))
{
    setObjectName(QStringLiteral("UpdateWindow"));
    setWindowTitle(QStringLiteral("Lumora"));
    setMinimumWidth(380);

    heading_->setWordWrap(true);
    heading_->setTextFormat(Qt::PlainText);

    // The notes come from the feed: shown as text, never as markup.
    notes_->setReadOnly(true);
    notes_->setMinimumHeight(160);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(later_);
    buttons->addWidget(download_);
    buttons->addWidget(ok_);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(heading_);
    layout->addWidget(notes_, 1);
    layout->addLayout(buttons);

    connect(download_, &QPushButton::clicked, this, &UpdateWindow::openDownloadPage);
    connect(later_, &QPushButton::clicked, this, &QWidget::hide);
    connect(ok_, &QPushButton::clicked, this, &QWidget::hide);
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, &QWidget::hide);
}

UpdateWindow::~UpdateWindow() = default;

void UpdateWindow::showUpdate(const QString& heading, const QString& notes, const QUrl& downloadPage,
                              const QString& downloadLabel, const QString& laterLabel)
{
    showingUpdate_ = true;
    downloadPage_ = downloadPage;
    setHeadingBold(true);
    heading_->setText(heading);
    notes_->setPlainText(notes);
    notes_->show();
    download_->setText(downloadLabel);
    later_->setText(laterLabel);
    download_->show();
    later_->show();
    ok_->hide();
    download_->setDefault(true);
    adjustSize();
}

void UpdateWindow::showMessage(const QString& text, const QString& okLabel)
{
    showingUpdate_ = false;
    downloadPage_ = QUrl();
    setHeadingBold(false);
    heading_->setText(text);
    notes_->clear();
    notes_->hide();
    download_->hide();
    later_->hide();
    ok_->setText(okLabel);
    ok_->show();
    ok_->setDefault(true);
    adjustSize();
}

void UpdateWindow::present(bool activate)
{
    setAttribute(Qt::WA_ShowWithoutActivating, !activate);
    if (!isVisible()) {
        // Before the first show the layout has not sized the window yet.
        ensurePolished();
        if (!testAttribute(Qt::WA_Resized))
            adjustSize();
        windowplacement::centreOnMainWindow(this);
    }
    show();
    if (activate) {
        raise();
        activateWindow();
    }
}

void UpdateWindow::setHeadingBold(bool bold)
{
    // A release's version stands out; a plain sentence does not.
    QFont font = heading_->font();
    font.setBold(bold);
    heading_->setFont(font);
}

QString UpdateWindow::heading() const
{
    return heading_->text();
}

QString UpdateWindow::notes() const
{
    return notes_->toPlainText();
}

void UpdateWindow::openDownloadPage()
{
    // The browser fetches the page; Lumora itself downloads nothing.
    if (downloadPage_.isValid())
        QDesktopServices::openUrl(downloadPage_);
    hide();
}

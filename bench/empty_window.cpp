// The floor for start-up and memory figures: an empty 360 x 490 window.
// Prints "lumora-bench first-frame <epoch ms>" once it has been drawn.
#include <QApplication>
#include <QDateTime>
#include <QEvent>
#include <QTimer>
#include <QWidget>
#include <cstdio>

namespace {
class EmptyWindow final : public QWidget {
protected:
    bool event(QEvent* e) override
    {
        if (e->type() == QEvent::Paint && !drawn_) {
            drawn_ = true;
            QTimer::singleShot(0, [] {
                std::printf("lumora-bench first-frame %lld\n",
                            static_cast<long long>(QDateTime::currentMSecsSinceEpoch()));
                std::fflush(stdout);
            });
        }
        return QWidget::event(e);
    }

private:
    bool drawn_ = false;
};
}  // namespace

int main(int argc, char** argv)
{
    std::printf("lumora-bench main %lld\n", static_cast<long long>(QDateTime::currentMSecsSinceEpoch()));
    QApplication app(argc, argv);
    std::printf("lumora-bench qapp %lld\n", static_cast<long long>(QDateTime::currentMSecsSinceEpoch()));
    EmptyWindow w;
    w.setFixedSize(360, 490);
    w.show();
    return app.exec();
}

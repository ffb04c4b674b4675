// Not a test: a window holding a queue, for the test that kills it. It takes up the saved queue
// named by its first argument, adds the source files named after it (fake engines), converts, lets
// the first job finish, prints "holding" and then waits to be killed while the second job runs.
#include <QApplication>
#include <QTimer>
#include <cstdio>

#include "WindowFixture.h"
#include "app/JobQueue.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() < 3) {
        std::fputs("usage: velmora_queue_holder QUEUE.json SOURCE...\n", stderr);
        return 2;
    }
    velmora::test::WindowFixture fixture;
    velmora::app::WindowSetup setup = fixture.setup();
    setup.savedQueuePath = arguments[1].toStdString();
    velmora::app::MainWindow window(std::move(setup));
    window.restoreSavedJobs();
    for (const QString& source : arguments.mid(2)) {
        if (!fixture.addJob(window, source)) {
            std::fputs("cannot add a source\n", stderr);
            return 1;
        }
    }
    window.action(velmora::app::WindowAction::Convert)->trigger();

    QTimer poll;
    bool finishedFirst = false;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        const auto order = fixture.hub.startOrder();
        if (!finishedFirst && !order.empty()) {
            fixture.hub.engine(order.front()).finish();
            finishedFirst = true;
        }
        if (window.jobList().job(0).status == velmora::app::JobStatus::Done) {
            poll.stop();
            // The list was saved when the first job ended.
            std::fputs("holding\n", stdout);
            std::fflush(stdout);
        }
    });
    poll.start(10);
    return QApplication::exec();
}

// The job list's model: the converter reports progress many times a second, and each report must
// repaint a row only when what the row shows has changed.
#include <QSignalSpy>
#include <QtTest>

#include "app/JobListModel.h"

namespace velmora::test {

using app::JobListModel;
using app::JobStatus;

class JobListModelTest : public QObject {
    Q_OBJECT

private slots:
    void aRowIsAnnouncedOnlyWhenWhatItShowsChanges() {
        JobListModel model;
        model.appendJob(
            JobListModel::rowFor(QStringLiteral("/media/a.mkv"), QStringLiteral("/out/a.avi")));
        model.appendJob(
            JobListModel::rowFor(QStringLiteral("/media/b.mkv"), QStringLiteral("/out/b.avi")));
        QSignalSpy changed(&model, &JobListModel::dataChanged);

        // One report: percentage, time and status all new.
        model.setProgress(1, 10);
        model.setCurrentTime(1, QStringLiteral("3"));
        model.setStatus(1, JobStatus::Converting);
        QCOMPARE(changed.count(), 3);
        // The same report again, and a percentage the clamp makes the same: nothing to repaint.
        model.setProgress(1, 10);
        model.setCurrentTime(1, QStringLiteral("3"));
        model.setStatus(1, JobStatus::Converting);
        model.setProgress(0, -5);
        QCOMPARE(changed.count(), 3);
        // A new detail with the same status still shows (it is the row's tool tip).
        model.setStatus(1, JobStatus::Converting, QStringLiteral("remark"));
        QCOMPARE(changed.count(), 4);
        model.setProgress(1, 250);
        QCOMPARE(changed.count(), 5);
        QCOMPARE(model.job(1).progress, 100);
        QCOMPARE(model.job(0).progress, 0);
        const QList<QVariant> last = changed.last();
        QCOMPARE(last.at(0).value<QModelIndex>().row(), 1);
        QCOMPARE(last.at(1).value<QModelIndex>().row(), 1);
    }

    void aProgressReportIsOneAnnouncement() {
        JobListModel model;
        model.appendJob(
            JobListModel::rowFor(QStringLiteral("/media/a.mkv"), QStringLiteral("/out/a.avi")));
        QSignalSpy changed(&model, &JobListModel::dataChanged);

        model.showProgress(0, 20, QStringLiteral("4"), JobStatus::Converting);
        QCOMPARE(changed.count(), 1);
        QCOMPARE(model.job(0).progress, 20);
        QCOMPARE(model.job(0).currentTime, QStringLiteral("4"));
        QCOMPARE(model.job(0).status, JobStatus::Converting);
        // Unchanged, or a source of unknown length that keeps the percentage: only what changed.
        model.showProgress(0, 20, QStringLiteral("4"), JobStatus::Converting);
        QCOMPARE(changed.count(), 1);
        model.showProgress(0, std::nullopt, QStringLiteral("5"), JobStatus::Converting);
        QCOMPARE(changed.count(), 2);
        QCOMPARE(model.job(0).progress, 20);
        model.showProgress(0, 20, QStringLiteral("5"), JobStatus::Paused);
        QCOMPARE(changed.count(), 3);
        model.showProgress(7, 50, QStringLiteral("9"), JobStatus::Converting);
        QCOMPARE(changed.count(), 3);
        // The end: full bar and status together.
        model.setDone(0, QStringLiteral("remark"));
        QCOMPARE(changed.count(), 4);
        QCOMPARE(model.job(0).progress, 100);
        QCOMPARE(model.job(0).status, JobStatus::Done);
        QCOMPARE(model.job(0).detail, QStringLiteral("remark"));
    }
};

}  // namespace velmora::test

QTEST_MAIN(velmora::test::JobListModelTest)
#include "JobListModelTest.moc"

#pragma once
#include "model/JobSide.h"

#include "ui/widgets/SkinnedWindow.h"

#include <QSize>
#include <QList>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QRadioButton;
class QStackedWidget;
class QTableWidget;
class QWidget;
class JobList;
class EmptySpinBox;
class ImageButton;
class Job;

// The job editor: makes a new job (job index -1), taken by the caller after OK for the job
// list, or changes an existing one in place on Apply. Every field is checked before any is written, so a
// refused OK or Apply leaves the job as it was; folders chosen with the Browse buttons are
// kept in the editor and written with the other fields.
class JobEditor : public SkinnedWindow {
    Q_OBJECT
public:
    explicit JobEditor(const JobList &jobs, QWidget *parent = nullptr);
    ~JobEditor() override;

    // Fills the controls from the job at index, or for a new job when there is none there.
    void SetJobIndex(int index);
    int JobIndex() const { return m_jobIndex; }
    // Whether the edited job's analysis or synchronisation is running or waiting: editing
    // it is then refused when the dialog opens and at Apply.
    void SetRunCheck(std::function<bool()> runInProgress) { m_runInProgress = std::move(runInProgress); }
    // True once OK or Apply has stored the job.
    bool Result() const { return m_result; }
    // After OK for a new job: the job, for the job list (nullptr otherwise).
    std::unique_ptr<Job> TakeNewJob();

    // Refuses (with a message) to open for a job whose run is in progress.
    int exec() override;

    // The page shown: 0 General, 1 Filter, 2 Scheduling.
    int CurrentPage() const;
    void ShowPage(int page);

protected:
    void showEvent(QShowEvent *event) override;

private:
    struct SizeBound;
    struct TimeBound;
    struct NameList;

    QWidget *buildGeneral();
    QWidget *buildFilter();
    QWidget *buildScheduling();
    QWidget *buildFilterGroup(const QString &title, bool excluded);
    ImageButton *makeButton(const QString &objectName, const QString &pictureBase, QSize size,
                            const QString &accessibleName);
    QCheckBox *makeCheck(const QString &objectName, const QString &caption);

    void loadJob(const Job &job);
    void backupSelected();
    void syncPeriodToggled(bool checked);
    void anaPeriodToggled(bool checked);
    // Takes the typed or pasted folder texts into the editor's sides.
    void takeTypedFolders();
    QWidget *firstField() const;
    // After takeTypedFolders: false when a local folder is missing and was not made.
    bool ensureLocalFolders();
    void browseLeft();
    void browseRight();
    void addRow(NameList &list);
    void removeRow(NameList &list);

    // The first field that cannot be stored, said to the user; nullopt when all can be.
    std::optional<QString> checkFields();
    // Writes every control into job; only after checkFields found nothing.
    void readBack(Job &job) const;
    bool refuseWhileRunning();
    void okClick();
    void applyClick();

    const JobList &m_jobs;
    int m_jobIndex = -1;
    Job *m_job = nullptr;               // the edited job; the new one for a new job
    std::unique_ptr<Job> m_newJob;      // owned until the caller takes it
    JobSide m_left, m_right;            // the sides as chosen in this dialog
    bool m_result = false;
    std::function<bool()> m_runInProgress;

    QStackedWidget *m_pages = nullptr;
    QList<ImageButton *> m_pageButtons;
    QList<QLabel *> m_pageLabels;
    ImageButton *m_okButton = nullptr;
    ImageButton *m_applyButton = nullptr;

    QLineEdit *edit_taskname = nullptr;
    QLineEdit *edit_lfolder = nullptr;
    QLineEdit *edit_rfolder = nullptr;
    QRadioButton *rb_sync = nullptr;
    QRadioButton *rb_backup = nullptr;
    QComboBox *cb_syncdirect = nullptr;
    QCheckBox *cb_savepv = nullptr;
    QCheckBox *cb_estimatedisk = nullptr;
    QCheckBox *cb_prodelete = nullptr;
    QCheckBox *cb_userTemp = nullptr;

    std::vector<SizeBound> m_sizes;  // excluded min, excluded max, included min, included max
    std::vector<TimeBound> m_times;  // the same order
    std::vector<NameList> m_lists;  // excluded, included
    QCheckBox *cb_excludesystem = nullptr;
    QCheckBox *cb_excludehidden = nullptr;
    QCheckBox *cb_excludeempty = nullptr;

    QCheckBox *cb_syncitstart = nullptr;
    QCheckBox *cb_anaitstart = nullptr;
    QCheckBox *cb_syncconn = nullptr;
    QCheckBox *cb_anaconn = nullptr;
    QCheckBox *cb_synclogoff = nullptr;
    QCheckBox *cb_anslogoff = nullptr;
    QCheckBox *cb_syncperiod = nullptr;
    QCheckBox *cb_anaperiod = nullptr;
    EmptySpinBox *edit_hours = nullptr;
    EmptySpinBox *edit_minutes = nullptr;
    // Texts the period edits showed for the loaded job: an edit left so keeps the field.
    QString m_loadedLeft, m_loadedRight;  // the local folders the job had when loaded
    std::optional<QString> m_loadedHours, m_loadedMinutes;
};

#pragma once
// Form recognition run off the window's thread: the editor stays responsive and shows the
// progress while the picture is straightened and its labels are read. One recognizer is
// kept for the dialog's life, so the text engine starts once.

#include "recognition/FormRecognizer.h"

#include <QObject>
#include <QString>

#include <filesystem>
#include <memory>

class QThread;

namespace dorvane {

class FormRecognitionRun : public QObject {
    Q_OBJECT
public:
    explicit FormRecognitionRun(QObject* parent = nullptr);
    // Waits for a recognition still running: it works on this object's recognizer.
    ~FormRecognitionRun() override;

    bool running() const { return thread_ != nullptr; }
    // Starts recognising the picture at path; false while another recognition runs.
    bool start(const std::filesystem::path& path);
    const FormRecognition& result() const { return result_; }

signals:
    void progressed(int percent);
    void finished();

private:
    FormRecognizer recognizer_;
    FormRecognition result_;
    QThread* thread_ = nullptr;
};

} // namespace dorvane

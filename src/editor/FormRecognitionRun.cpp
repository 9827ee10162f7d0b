#include "editor/FormRecognitionRun.h"

#include <QThread>

namespace dorvane {

FormRecognitionRun::FormRecognitionRun(QObject* parent) : QObject(parent) {}

FormRecognitionRun::~FormRecognitionRun()
{
    if (thread_) {
        thread_->wait();
        delete thread_; // its finished signal will not reach this object any more
    }
}

bool FormRecognitionRun::start(const std::filesystem::path& path)
{
    if (thread_)
        return false;
    thread_ = QThread::create([this, path] {
        // Reported from the worker; queued to the window's thread by the signal.
        result_ = recognizer_.recognizeFile(path, [this](int percent) { emit progressed(percent); });
    });
    connect(thread_, &QThread::finished, this, [this] {
        thread_->deleteLater();
        thread_ = nullptr;
        emit finished();
    });
    thread_->start();
    return true;
}

} // namespace dorvane

#include "RunConverter.h"

#include "CommandLines.h"
#include "Converter.h"
#include "RunAndWait.h"

#include <QDateTime>
#include <QFileInfo>

namespace {

// Enough of a file's state to tell whether a run wrote it: an output file left from an earlier
// run is not removed first, and a run that fails leaves it as it was.
struct OutputStamp
{
    bool exists = false;
    QDateTime modified;
    qint64 size = 0;

    static OutputStamp of(const QString &path)
    {
        const QFileInfo info(path);
        if (!info.isFile())
            return {};
        return {true, info.lastModified(), info.size()};
    }

    bool writtenSince(const OutputStamp &before) const
    {
        return exists && (!before.exists || modified != before.modified || size != before.size);
    }
};

} // namespace

ProcessResult RunConverter(const QString &pdf, const QString &output, const QString &password,
                           bool preview, ProgressTarget *progress, const QString &caption,
                           int startValue, int fileCount)
{
    const auto request = [&](PasswordRole role) {
        ProcessRequest r;
        r.program = converter::ProgramToRun();
        r.arguments = preview ? PreviewArguments(pdf, output, password, role)
                              : BatchArguments(pdf, output, password, role);
        r.progress = progress;
        r.caption = caption;
        r.startValue = startValue;
        r.fileCount = fileCount;
        r.windowStyle = 0; // hidden
        return r;
    };
    const OutputStamp before = OutputStamp::of(output);
    const ProcessResult result = RunAndWait(request(PasswordRole::Owner));
    if (password.isEmpty() || result.status == ProcessResult::Status::FailedToStart ||
        OutputStamp::of(output).writtenSince(before))
        return result;
    return RunAndWait(request(PasswordRole::User));
}

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

int RunConverter(const QString &pdf, const QString &output, const QString &password, bool preview,
                 ProgressTarget *progress, const QString &caption, int startValue, int fileCount)
{
    const auto arguments = [&](PasswordRole role) {
        return preview ? PreviewArguments(pdf, output, password, role)
                       : BatchArguments(pdf, output, password, role);
    };
    constexpr int Hidden = 0;
    const OutputStamp before = OutputStamp::of(output);
    const int result = RunAndWait(converter::ProgramToRun(), arguments(PasswordRole::Owner),
                                  progress, caption, startValue, fileCount, Hidden);
    if (password.isEmpty() || IsStartFailure(result) ||
        OutputStamp::of(output).writtenSince(before))
        return result;
    return RunAndWait(converter::ProgramToRun(), arguments(PasswordRole::User), progress, caption,
                      startValue, fileCount, Hidden);
}

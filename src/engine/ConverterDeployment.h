// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <memory>
#include <QString>

class InstanceLock;
class Procedure;

// The converter this program runs, from start-up to shutdown. The build carried inside the
// program is written to a private folder of the user's temporary folder (TEMP, else TMPDIR, else
// /tmp) unless a file is already there; when that folder is not safe, is taken by someone else, or
// allows no program to run (a noexec mount), a fresh private folder (under XDG_RUNTIME_DIR or the
// cache folder) is used instead. Built with MORWENDA_SYSTEM_CONVERTER, nothing is written or
// removed and that program is run.
class ConverterDeployment
{
public:
    ConverterDeployment();
    // Removes the converter unless another running instance still uses it.
    ~ConverterDeployment();
    ConverterDeployment(const ConverterDeployment &) = delete;
    ConverterDeployment &operator=(const ConverterDeployment &) = delete;

    // The end of start-up, statements 154 to 164 of `proc`: the build that fits the processor is
    // put in place. A folder or file that is not safe is never run. When no converter can run
    // anywhere, that is reported once, at 164.
    void deploy(Procedure &proc);

    // The program to run; "" when no converter can run (jobs then fail to start).
    const QString &program() const { return m_program; }

    // For a converter put in place only when it is first needed: deploy() without reports, at
    // most once. Returns the program, or "" with `why` set to what stood in the way.
    QString programWhenNeeded(QString &why);

    // The program is one of the system's, not deployed by this program.
    static bool usesSystemConverter();

    // Removes the converter now (as the destructor does); later calls do nothing.
    void remove();

private:
    bool settleIn(const QString &folder, const QByteArray &build, QString &why);
    bool settleInFreshFolder(const QByteArray &build, QString &why);

    QString m_program;
    QString m_folder;
    QString m_failure;
    bool m_triedWhenNeeded = false;
    bool m_freshFolder = false; // made for this instance alone: it goes whole at the end
    std::unique_ptr<InstanceLock> m_lock;
};

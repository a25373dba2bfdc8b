#include "run_program.h"

#include <QDir>
#include <QProcess>

namespace test_support {

run_result run(const QString& program, const QStringList& arguments, const QProcessEnvironment& environment,
               int timeout_ms)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(QDir::tempPath());
    process.start(program, arguments);
    run_result result;
    if (!process.waitForFinished(timeout_ms)) {
        process.kill();
        process.waitForFinished();
        result.output =
            QStringLiteral("did not finish: ") + program + QLatin1Char(' ') + arguments.join(QLatin1Char(' '));
        return result;
    }
    result.output = QString::fromUtf8(process.readAll());
    result.exit_code = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    return result;
}

} // namespace test_support

namespace test_support {

run_result run_transfer(const QStringList& arguments) { return run(QStringLiteral(TARVO_TRANSFER_PROGRAM), arguments); }

} // namespace test_support

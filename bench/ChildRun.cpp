#include "bench/ChildRun.h"

#include <chrono>
#include <fcntl.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

// Writes all of Input into the pipe and closes it; a child that stops reading early ends the write.
void Feed(int Pipe, const QByteArray& Input)
{
    qsizetype written = 0;
    while (written < Input.size()) {
        const ssize_t step = write(Pipe, Input.constData() + written, std::size_t(Input.size() - written));
        if (step <= 0)
            break;
        written += step;
    }
    close(Pipe);
}

} // namespace

TChildRun RunChild(const QString& Program, const QStringList& Arguments, const QByteArray& Input)
{
    std::vector<std::string> texts{Program.toStdString()};
    for (const QString& argument : Arguments)
        texts.push_back(argument.toStdString());
    std::vector<char*> argv;
    for (std::string& text : texts)
        argv.push_back(text.data());
    argv.push_back(nullptr);

    int input[2];
    if (pipe(input) != 0)
        return {};
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = fork();
    if (child < 0) {
        close(input[0]);
        close(input[1]);
        return {};
    }
    if (child == 0) {
        const int null = open("/dev/null", O_WRONLY);
        dup2(input[0], STDIN_FILENO);
        dup2(null, STDOUT_FILENO);
        dup2(null, STDERR_FILENO);
        close(input[0]);
        close(input[1]);
        execv(argv[0], argv.data());
        _exit(127);
    }
    close(input[0]);
    Feed(input[1], Input);
    int status = 0;
    rusage usage{};
    wait4(child, &status, 0, &usage);
    TChildRun run;
    run.Seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    run.PeakKilobytes = usage.ru_maxrss;
    run.ProcessorSeconds = double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    run.Status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

// A program the benches run as a user would, in a home of its own: its exit,
// wall and processor time, peak memory and what it wrote.
#pragma once
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QElapsedTimer>
#include <QFile>
#include <QString>
#include <QThread>
#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

extern char** environ;

namespace bench {

struct Run {
  std::string outcome;  // "exit N", "killed by SIGABRT", "killed after N s", "no start"
  double seconds = 0;   // wall
  double cpu = 0;       // user and system
  double peakMb = 0;
  std::string firstError;  // the first line on standard error but the platform's runtime-folder note
  int exitCode = -1;
  QByteArray out, err;
};

class Child {
 public:
  // `dir` holds its configuration, state and cache; `extraEnv` ("NAME=value")
  // replaces what the environment has of those names.
  Child(const std::string& exe, const std::vector<std::string>& args, const QString& dir,
        const std::vector<std::string>& extraEnv = {}) {
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) {
      const std::string_view var(*e);
      const bool replaced = std::any_of(extraEnv.begin(), extraEnv.end(), [&](const std::string& x) {
        return var.substr(0, var.find('=') + 1) == std::string_view(x).substr(0, x.find('=') + 1);
      });
      if (!replaced) env.emplace_back(var);
    }
    for (const char* d : {"CONFIG", "STATE", "CACHE"})
      env.push_back(std::string("XDG_") + d + "_HOME=" + (dir + "/" + d).toStdString());
    env.push_back("XDG_RUNTIME_DIR=" + dir.toStdString());
    env.push_back("OMP_THREAD_LIMIT=1");
    env.insert(env.end(), extraEnv.begin(), extraEnv.end());
    std::vector<char*> argv{const_cast<char*>(exe.c_str())};
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (std::string& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);
    errPath_ = (dir + "/stderr").toStdString();
    outPath_ = (dir + "/stdout").toStdString();
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, outPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, errPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    timer_.start();
    if (posix_spawn(&pid_, exe.c_str(), &actions, nullptr, argv.data(), envp.data()) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
  }

  pid_t pid() const { return pid_; }

  // Waits for the end, killing the program after `limit` seconds.
  Run wait(double limit) {
    Run r;
    if (pid_ < 0) {
      r.outcome = "no start";
      return r;
    }
    int status = 0;
    rusage usage{};
    while (true) {
      const pid_t done = wait4(pid_, &status, WNOHANG, &usage);
      if (done == pid_) break;
      if (timer_.elapsed() > limit * 1000) {
        ::kill(pid_, SIGKILL);
        wait4(pid_, &status, 0, &usage);
        r.outcome = "killed after " + std::to_string(int(limit)) + " s";
        break;
      }
      QThread::msleep(5);
    }
    r.seconds = double(timer_.nsecsElapsed()) / 1e9;
    r.cpu = double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
            double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    r.peakMb = double(usage.ru_maxrss) / 1024.0;
    if (r.outcome.empty()) {
      if (WIFEXITED(status)) {
        r.exitCode = WEXITSTATUS(status);
        r.outcome = "exit " + std::to_string(r.exitCode);
      } else {
        r.outcome = std::string("killed by ") + sigabbrev_np(WTERMSIG(status));
      }
    }
    QFile out(QString::fromStdString(outPath_));
    if (out.open(QIODevice::ReadOnly)) r.out = out.readAll();
    QFile err(QString::fromStdString(errPath_));
    if (err.open(QIODevice::ReadOnly)) {
      r.err = err.readAll();
      for (const QByteArray& line : r.err.split('\n')) {
        // The platform's note about the runtime folder says nothing about the case.
        if (!line.isEmpty() && !line.startsWith("QStandardPaths")) {
          r.firstError = line.left(90).toStdString();
          break;
        }
      }
    }
    return r;
  }

  // Restarts the clock (for the time from a signal to the end).
  void restartClock() { timer_.start(); }

 private:
  pid_t pid_ = -1;
  std::string errPath_, outPath_;
  QElapsedTimer timer_;
};

}  // namespace bench

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "IdleDeadline.h"
#include "ServiceProtocol.h"

#include <cstdint>
#include <functional>
#include <list>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <sys/types.h>

// What the converter service does for one request: the child it forks, the frames it passes on
// from it, its error output, its clock, and the outcome it answers with once the child has ended.
namespace converterservice {

// The service's standard output refused a write: its client is gone.
class OutputGone : public std::runtime_error
{
public:
    OutputGone() : std::runtime_error("standard output is gone") {}
};

// Writes all of `data` to the service's standard output; throws OutputGone when it cannot.
void writeAllOrThrow(std::string_view data);

// Where the service's answers go: its standard output, or a test's buffer.
using Send = std::function<void(std::string_view)>;

// The service's end of one request's child.
struct Child
{
    std::uint32_t id = 0;
    pid_t pid = -1;
    int answerFd = -1;
    int errorFd = -1;
    std::string answerBuffer;
    std::string diagnostics;
    std::string errorTail; // the last bytes read, so a mark split between reads is still seen
    bool outOfMemory = false;
    bool memoryLimited = false;
    std::optional<serviceprotocol::Outcome> answer;
    std::uint64_t textBytes = 0;
    bool textToFile = false; // the child writes the text itself and counts it
    IdleDeadline deadline{std::chrono::milliseconds(0)};
    int firstPage = 1;  // the request's first page
    int pagesDone = 0;  // of its range, as the child last told
    int pagesTotal = 0; // in its range, as the child told
    bool timedOut = false;
    bool cancelled = false;
};

// Forks the child for `request` and returns it; `running` are the other children, whose pipes the
// new child closes. Where no child can be made, the request is answered through `send` at once
// and there is none.
std::optional<Child> startChild(const serviceprotocol::ConvertRequest &request,
                                std::list<Child> &running, const Send &send);

// Takes the complete frames of `bytes` (appended to what came before) from the child: its text
// and its page progress are passed on with the request's id, each restarting its clock; its
// answer is kept. Throws std::logic_error for a child that garbles its pipe.
void takeAnswers(Child &child, std::string_view bytes, const Send &send);

// The child has gone its time limit without progress: it is marked timed out and its deadline
// cleared, and true is returned, once; the caller stops it.
bool markIfOverdue(Child &child);

// Keeps the start of the child's error output for its outcome, and watches it for a refused
// allocation.
void takeErrors(Child &child, std::string_view bytes);

// The outcome of the ended child, `status` as waitpid gave it: its own answer when it exited as
// it said it would, else what its end shows.
serviceprotocol::Outcome outcomeOf(Child &child, int status);

void closeIfOpen(int &fd);

} // namespace converterservice

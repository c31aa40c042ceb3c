#include "fakes/RecordingMessenger.h"

namespace velt::fakes {

int RecordingMessenger::ShowMessage(std::string_view text, std::string_view caption,
                                    unsigned flags) {
    shown.push_back({std::string(text), std::string(caption), flags});
    if (answers.empty()) {
        return kIdOk;
    }
    const int answer = answers.front();
    answers.pop_front();
    return answer;
}

} // namespace velt::fakes

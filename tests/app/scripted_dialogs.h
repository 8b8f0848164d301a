#pragma once

#include <deque>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "app/logic/user_dialogs.h"

namespace tamsel::app::test {

// Answers the commands' dialogs from queues the test fills, and records
// what each dialog was asked to show. An empty queue answers Cancel.
class ScriptedDialogs : public UserDialogs {
public:
    std::deque<std::optional<std::filesystem::path>> openAnswers;
    std::deque<std::optional<std::filesystem::path>> saveAnswers;
    std::deque<std::optional<int>> portAnswers;

    std::vector<FileChooserRequest> openRequests;
    std::vector<FileChooserRequest> saveRequests;
    struct PortRequest {
        std::vector<std::u16string> ports;
        int current;
    };
    std::vector<PortRequest> portRequests;
    std::vector<std::string> warnings;
    std::vector<std::string> errors;

    std::optional<std::filesystem::path> ChooseFileToOpen(const FileChooserRequest& request) override
    {
        openRequests.push_back(request);
        return Next(openAnswers);
    }
    std::optional<std::filesystem::path> ChooseFileToSave(const FileChooserRequest& request) override
    {
        saveRequests.push_back(request);
        return Next(saveAnswers);
    }
    std::optional<int> ChoosePort(const std::vector<std::u16string>& ports, int current) override
    {
        portRequests.push_back({ports, current});
        return Next(portAnswers);
    }
    void ShowWarning(std::string_view text) override { warnings.emplace_back(text); }
    void ShowError(std::string_view text) override { errors.emplace_back(text); }

private:
    template <typename T>
    static std::optional<T> Next(std::deque<std::optional<T>>& answers)
    {
        if (answers.empty()) return std::nullopt;
        auto answer = answers.front();
        answers.pop_front();
        return answer;
    }
};

}  // namespace tamsel::app::test

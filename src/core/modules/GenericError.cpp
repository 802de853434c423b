#include "core/modules/GenericError.h"

#include <new>
#include <system_error>

#include "platform/ui.h"

namespace sarvo {

namespace {

constexpr const char* kUnexpected = "予期しないエラーが発生しました。";

}  // namespace

std::string SystemErrorText(int number, const std::string& description, const std::string& path) {
    std::string text = "実行時エラー '" + std::to_string(number) + "':\r\n\r\n" + description;
    if (!path.empty()) text += "\r\n" + path;
    return text;
}

std::string GenericErrorText(const std::exception_ptr& failure) {
    try {
        std::rethrow_exception(failure);
    } catch (const std::bad_alloc&) {
        return "メモリが不足しています。";
    } catch (const std::system_error& e) {
        return SystemErrorText(e.code().value(), e.what());
    } catch (const std::exception& e) {
        // The library's own words, which are English, follow as the detail.
        return std::string(kUnexpected) + "\r\n\r\n" + e.what();
    } catch (...) {
        return kUnexpected;
    }
}

int RunWithGenericErrorBox(const std::string& applicationTitle, const std::function<int()>& run) {
    try {
        return run();
    } catch (...) {
        const std::exception_ptr failure = std::current_exception();
        // Nothing may escape from here: the box is the last thing the
        // program does, and a failure to show it ends the program all the
        // same.
        try {
            platform::ShowMessage(applicationTitle, GenericErrorText(failure), platform::kIconError);
        } catch (...) {
        }
        return 1;
    }
}

}  // namespace sarvo

// The generic error box: what the user sees of a failure that none of the
// program's procedures handles, before the program ends.
#pragma once

#include <exception>
#include <functional>
#include <string>

namespace sarvo {

// The generic box's text for an error the system reported: its number
// ("実行時エラー '2':"), a blank line, the system's description of it, and,
// when it is about a file or folder, that path on a line of its own.
std::string SystemErrorText(int number, const std::string& description, const std::string& path = "");

// The box's text for `failure`: a system error's number and description
// ("実行時エラー '5':", a blank line, the description); for a shortage of
// memory, "メモリが不足しています。"; for any other exception,
// "予期しないエラーが発生しました。", a blank line and its own description;
// for anything else thrown, "予期しないエラーが発生しました。" alone.
std::string GenericErrorText(const std::exception_ptr& failure);

// Runs a program's whole run and returns its exit status. A failure that
// escapes the run is shown in the generic error box (the program's
// application title as caption, GenericErrorText, the error icon), and the
// status is then 1.
int RunWithGenericErrorBox(const std::string& applicationTitle, const std::function<int()>& run);

}  // namespace sarvo

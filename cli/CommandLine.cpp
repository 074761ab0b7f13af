#include "cli/CommandLine.h"

#include <curl/curl.h>

#include <memory>
#include <optional>

const char* const UsageLine =
    "usage: mireval-download [--to DIR] [--encoding utf-8|utf-8-bom|gb18030|original] ADDRESS...\n";

const std::string UsageText = std::string(UsageLine) + "\n"
    "Downloads the books at each ADDRESS into DIR (the current directory by default):\n"
    "every book of a listing page, or the one book of a book's page or text file.\n"
    "Prints each saved file's path; failures go to standard error.\n"
    "\n"
    "  --to DIR          an existing folder to save into\n"
    "  --encoding NAME   how saved books are encoded (default utf-8); original keeps\n"
    "                    the bytes as the site serves them\n"
    "  -h, --help        show this text\n"
    "\n"
    "Exit status: 0 when every book was saved, 1 when any failed, 2 for bad usage,\n"
    "130 when interrupted (partial downloads are kept and resumed by the next run).\n";

namespace {

bool IsWebAddress(const std::string& address)
{
    const std::unique_ptr<CURLU, void (*)(CURLU*)> url(curl_url(), curl_url_cleanup);
    if (!url || curl_url_set(url.get(), CURLUPART_URL, address.c_str(), CURLU_NON_SUPPORT_SCHEME) != CURLUE_OK)
        return false;
    char* scheme = nullptr;
    if (curl_url_get(url.get(), CURLUPART_SCHEME, &scheme, 0) != CURLUE_OK)
        return false;
    const std::string name = scheme;
    curl_free(scheme);
    return name == "http" || name == "https";
}

// "--name VALUE" or "--name=VALUE"; nothing when argument is not this option.
std::optional<std::string> OptionValue(const std::vector<std::string>& arguments, std::size_t& i,
                                       const std::string& name)
{
    const std::string& argument = arguments[i];
    if (argument.rfind(name + "=", 0) == 0)
        return argument.substr(name.size() + 1);
    if (argument != name)
        return std::nullopt;
    if (++i == arguments.size())
        throw UsageError(name + " needs a value");
    return arguments[i];
}

}  // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& arguments)
{
    CommandLine line;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (optionsEnded || argument.empty() || argument[0] != '-') {
            if (!IsWebAddress(argument))
                throw UsageError("not an http or https address: " + argument);
            line.addresses.push_back(argument);
        } else if (argument == "--") {
            optionsEnded = true;
        } else if (argument == "-h" || argument == "--help") {
            line.help = true;
        } else if (const auto folder = OptionValue(arguments, i, "--to")) {
            std::error_code error;
            if (!std::filesystem::is_directory(*folder, error))
                throw UsageError("--to: not a directory: " + *folder);
            line.folder = *folder;
        } else if (const auto encoding = OptionValue(arguments, i, "--encoding")) {
            const auto parsed = ParseSavedEncoding(*encoding);
            if (!parsed)
                throw UsageError("--encoding: not one of utf-8, utf-8-bom, gb18030, original: " + *encoding);
            line.encoding = *parsed;
        } else {
            throw UsageError("unknown option: " + argument);
        }
    }
    if (line.addresses.empty() && !line.help)
        throw UsageError("no ADDRESS given");
    return line;
}

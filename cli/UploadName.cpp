#include "cli/UploadName.h"

#include <cctype>

namespace {

// Windows opens these as devices whatever their extension ("NUL.mp3" too).
bool IsReservedDeviceName(const std::string& name)
{
    static const char* const kReserved[] = {"CON", "PRN", "AUX", "NUL"};
    static const char* const kNumbered[] = {"COM", "LPT"};
    // The part before the first dot, without trailing blanks, compared without case.
    std::string stem = name.substr(0, name.find('.'));
    while (!stem.empty() && (stem.back() == ' ' || stem.back() == '.'))
        stem.pop_back();
    for (char& c : stem)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    for (const char* r : kReserved)
        if (stem == r)
            return true;
    for (const char* r : kNumbered)
        if (stem.size() == 4 && stem.compare(0, 3, r) == 0 && stem[3] >= '1' && stem[3] <= '9')
            return true;
    return false;
}

}  // namespace

bool IsSafeUploadName(const std::string& name, std::string& why)
{
    if (name.empty()) {
        why = "the name is empty";
        return false;
    }
    if (name.find_first_of("\\/:") != std::string::npos) {
        why = "the name contains \\, / or :";
        return false;
    }
    // Characters Windows does not allow in file names.
    if (name.find_first_of("*?\"<>|") != std::string::npos) {
        why = "the name contains * ? \" < > or |";
        return false;
    }
    if (name.find("..") != std::string::npos) {
        why = "the name contains ..";
        return false;
    }
    if (name.find_first_not_of(". ") == std::string::npos) {
        why = "the name is made of dots and blanks only";
        return false;
    }
    for (unsigned char c : name)
        if (c < 0x20 || c == 0x7F) {
            why = "the name contains a control character";
            return false;
        }
    if (IsReservedDeviceName(name)) {
        why = "the name is a reserved device name";
        return false;
    }
    return true;
}

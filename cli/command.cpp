#include "cli/command.h"

#include <iostream>

namespace vz::cli {

std::vector<Registrar>& registrars() {
    static std::vector<Registrar> all;
    return all;
}

Registration::Registration(Registrar registrar) {
    registrars().push_back(std::move(registrar));
}

bool confirm(const Context& ctx, const std::string& question, bool assumeYes) {
    if (assumeYes) {
        return true;
    }
    if (!ctx.interactive) {
        return false;
    }
    std::cerr << question << " [y/N] " << std::flush;
    std::string answer;
    if (!std::getline(std::cin, answer)) {
        return false;
    }
    return !answer.empty() && (answer[0] == 'y' || answer[0] == 'Y');
}

}  // namespace vz::cli

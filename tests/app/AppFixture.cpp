#include "tests/app/AppFixture.h"

#include "app/Program.h"
#include "framework/text/TextEncoding.h"

#include <vector>

namespace apptest {

TDialogLog& SetUpProgram(const std::string& argument) {
    std::vector<const char*> argv{"orlenth"};
    if (!argument.empty()) argv.push_back(argument.c_str());
    orlenth::SetUpProgram(static_cast<int>(argv.size()), argv.data());
    return testsupport::InstallFakeDialogs();
}

QByteArray Gbk(const char* utf8) {
    return QByteArray::fromStdString(orlenth::UnicodeToGbk(QString::fromUtf8(utf8)));
}

} // namespace apptest

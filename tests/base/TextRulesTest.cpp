#include "base/CaseFold.h"
#include "base/Error.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <new>

namespace tmq {
namespace {

TEST(ErrorReport, SystemReasonsAreSpanishUnderTheCLocale)
{
    for (const int error : {ENOENT, EACCES, EPERM, EROFS, ENOSPC, EEXIST, EBUSY, EAGAIN, EIO, EXDEV,
                            ENOTEMPTY, EINVAL, EFBIG, ENOLCK, EPIPE, ECONNRESET}) {
        const std::string reason = systemReason(error);
        EXPECT_EQ(reason.find(std::strerror(error)), std::string::npos) << reason;
        EXPECT_FALSE(reason.empty()) << error;
    }
}

TEST(ErrorReport, OtherExceptionsShowSpanishText)
{
    const std::filesystem::filesystem_error failure(
        "filesystem error: cannot remove", "/tmp/MTEMP/ASIGT.DBF",
        std::make_error_code(std::errc::no_space_on_device));
    const std::vector<std::pair<std::string, std::string>> cases{
        {userText(Error("Falta la tabla")), "Falta la tabla"},
        {userText(failure),
         "Error con el archivo '/tmp/MTEMP/ASIGT.DBF': no queda espacio en el disco"},
        {userText(std::bad_alloc()), "No hay memoria suficiente para terminar el proceso"},
        {userText(std::logic_error("vector::_M_range_check")),
         "Error interno inesperado; el proceso se ha interrumpido"},
    };
    for (const auto& [shown, expected] : cases)
        EXPECT_EQ(shown, expected);
}

TEST(ErrorReport, FullStopOnlyAfterCharactersSortingAfterIt)
{
    const std::vector<std::pair<std::string, std::string>> cases{
        {"", ""},
        {"Falta la tabla", "Falta la tabla."},
        {"Ya termina.", "Ya termina."},
        {"wwTableSoluc: No se encuentra el campo 'CODGRUPO'",
         "wwTableSoluc: No se encuentra el campo 'CODGRUPO'"},
        {"línea 3", "línea 3."},
        {"¿qué?", "¿qué?."},
        {"(sin datos)", "(sin datos)"},
        {"acaba en canción", "acaba en canción."},
    };
    for (const auto& [message, shown] : cases)
        EXPECT_EQ(errorReportText(message), shown) << message;
}

TEST(CaseFold, IgnoresLetterCaseButNotAccents)
{
    struct Case {
        std::string a, b;
        bool same;
    };
    // Windows-1252 bytes: \xC1 Á, \xE1 á, \xD1 Ñ, \xF1 ñ, \x8A Š, \x9A š, \xD7 ×, \xF7 ÷.
    const std::vector<Case> cases{
        {"MAT1", "mat1", true},
        {"Mat1", "MAT1", true},
        {"\xC1"
         "B",
         "\xE1"
         "b",
         true},
        {"\xD1"
         "U",
         "\xF1"
         "u",
         true},
        {"\x8A", "\x9A", true},
        {"\xC1", "A", false},
        {"\xE1", "a", false},
        {"\xD7", "\xF7", false},
        {"MAT1", "MAT1 ", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(foldCaseCp1252(c.a) == foldCaseCp1252(c.b), c.same) << c.a << " / " << c.b;
}

} // namespace
} // namespace tmq

#pragma once

#include <cstdint>
#include <string_view>

namespace catalogcache {

// String-table numbers of the catalog watcher's tray (talvowatch) and of the catalog browser (talvo-catalog).
inline constexpr std::uint32_t kOpenCatalogText = 37100;
inline constexpr std::uint32_t kQuitText = 37101;
inline constexpr std::uint32_t kCatalogCaptionText = 37102;
inline constexpr std::uint32_t kTrayTipText = 37103;
inline constexpr std::uint32_t kTrayBusyTipText = 37104;
inline constexpr std::uint32_t kPeriodicRescanText = 37105;
inline constexpr std::uint32_t kFolderProblemText = 37106;
/// The browser's column headers, from "Date & time" on, one number a column.
inline constexpr std::uint32_t kColumnTitleTexts = 37110;
inline constexpr std::uint32_t kFoldersText = 37115;
inline constexpr std::uint32_t kUpText = 37116;
inline constexpr std::uint32_t kOpenText = 37117;
inline constexpr std::uint32_t kNewPracticeText = 37118;
inline constexpr std::uint32_t kDeleteText = 37119;
inline constexpr std::uint32_t kDeleteQuestionText = 37120;
inline constexpr std::uint32_t kUnableToInitText = 37121;
inline constexpr std::uint32_t kUnableToOpenMappingText = 37122;

/// Their English texts in the language-file form; the main program's English table holds them too, so that one
/// language file serves every program.
inline constexpr std::string_view kCatalogEnglish = "37100\tOpen catalog\n"
                                                    "37101\tQuit\n"
                                                    "37102\tTalvo catalog\n"
                                                    "37103\tTalvo catalog - %i file(s)\n"
                                                    "37104\tTalvo catalog busy - %i file(s)\n"
                                                    "37105\tFolder changes cannot be watched: rescanning every minute\n"
                                                    "37106\tCannot make the catalog folder %s: %s\n"
                                                    "37110\tDate & time\n"
                                                    "37111\tPosition\n"
                                                    "37112\tShot count\n"
                                                    "37113\tResult\n"
                                                    "37114\tComments\n"
                                                    "37115\tFolders\n"
                                                    "37116\tUp\n"
                                                    "37117\tOpen\n"
                                                    "37118\tNew practice\n"
                                                    "37119\tDelete\n"
                                                    "37120\tDo you want to delete those items?\n"
                                                    "37121\tUnable to init catalog\n"
                                                    "37122\tUnable to open file mapping\n";

} // namespace catalogcache

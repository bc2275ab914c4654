// The installer's fixed texts, by string-table number, and the one formatter for them.
#pragma once

#include <initializer_list>
#include <string>

namespace installer::text {

inline constexpr wchar_t kNoUninstallInfo[] =  // 2
    L"アンインストールが指示されましたが、\nアンインストール情報が設定ファイルにありません。";
inline constexpr wchar_t kConfirmUninstall[] = L"すべてのコンポーネントをアンインストールしますか？";  // 3
inline constexpr wchar_t kConfirmUninstallCaption[] = L"アンインストールの確認";                       // 4
inline constexpr wchar_t kInstallingComponent[] = L"%sをインストールしています。";                     // 13
inline constexpr wchar_t kVerbFailed[] =                                                               // 14
    L"指定されたコマンドは異常終了しました。\r\n%s:%s %s\r\nreturn code=%lx";
inline constexpr wchar_t kVerbNotStarted[] = L"指定されたコマンドは実行できませんでした。\r\n%s:%s %s";  // 15
inline constexpr wchar_t kFolderFailed[] = L"ディレクトリの作成に失敗しました。\r\n%s";                  // 16
inline constexpr wchar_t kCopyFailed[] = L"ファイルのコピーに失敗しました\r\n%s > %s";                   // 17
inline constexpr wchar_t kRegisterFailed[] = L"%sのレジストリへの登録に失敗しました";                    // 18
inline constexpr wchar_t kSelfExecFailed[] =                                                             // 19
    L"指定されたコマンドは異常終了しました。\r\nSELF-EXEC:%s %s\r\nreturn code=%lx";
inline constexpr wchar_t kSelfExecNotStarted[] =
    L"指定されたコマンドは起動できませんでした。\r\n%s %s";                                      // 20
inline constexpr wchar_t kDesktopHeading[] = L"デスクトップにショートカットを登録しています。";  // 21
inline constexpr wchar_t kDesktopFailed[] =                                                      // 22
    L"デスクトップのショートカットの作成に失敗しました。\r\n%s\r\n%s\r\n%s";
inline constexpr wchar_t kStartMenuHeading[] = L"スタートメニューにショートカットを登録しています。";  // 23
inline constexpr wchar_t kStartMenuFolderFailed[] =                                                    // 24
    L"スタートメニューのフォルダ作成に失敗しました。\r\n%s\r\n%s\r\n%s";
inline constexpr wchar_t kStartMenuFailed[] =  // 25
    L"スタートメニューのショートカットの作成に失敗しました。\r\n%s\r\n%s\r\n%s";
inline constexpr wchar_t kUninstallerHeading[] = L"アンインストーラの作成";                       // 26
inline constexpr wchar_t kUninstallerCopyFailed[] = L"アンインストーラのコピーに失敗しました。";  // 27
inline constexpr wchar_t kInstallDone[] = L"インストールの完了";                                  // 28, 38
inline constexpr wchar_t kUninstallEntryHeading[] = L"アンインストーラの登録";
inline constexpr wchar_t kSystemError[] = L"%s\r\n%s(code:%ld)";
inline constexpr wchar_t kShareQuestion[] =  // 30
    L"%sは、\r\n他のファイルが使用する可能性があるファイルです。\r\n削除する場合はYESを選択してください。";
inline constexpr wchar_t kShareCaption[] = L"共有ファイルの削除をしますか？";                // 31
inline constexpr wchar_t kUnregisteredExe[] = L"---登録解除(EXE)%ld";                        // 32
inline constexpr wchar_t kUnregisterFailed[] = L"%sのレジストリへの登録解除に失敗しました";  // 33
inline constexpr wchar_t kUnregisteredDll[] = L"---登録解除(DLL)";                           // 34
inline constexpr wchar_t kDeleteFailed[] = L"---消去に失敗";                                 // 35, 37
inline constexpr wchar_t kRemovingFolders[] = L"フォルダの削除";                             // 36
inline constexpr wchar_t kRestartQuestion[] =
    L"インストールの完了にはリブートが必要です。\r\nリブートしますか？";  // 39
inline constexpr wchar_t kStartupQuestion[] =                             // 40
    L"自動的にスタートできるように、スタートアップにショートカットを作成することができます。\nスタートアップ"
    L"に登録してもよろしいですか？";
inline constexpr wchar_t kStartupCaption[] = L"スタートアップの確認";  // 41

// Fills %s, %ld and %lx in order with the given texts (numbers formatted by the caller
// with Decimal or Hex); "%%" is a percent sign.
std::wstring Fill(const wchar_t* pattern, std::initializer_list<std::wstring> args);
std::wstring Decimal(long value);
std::wstring Hex(unsigned long value);

}  // namespace installer::text

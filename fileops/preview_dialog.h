// CClsPreviewDlg: the move plan before anything is touched. One list item per plan
// row in the plan's order (the item data is the row index); the user excludes rows,
// renames them one by one or by template, checks the plan and ends with copy (the
// default button, also Enter), move or cancel. Two thumbnail controls show the
// focused row's source and the destination file it meets.
#pragma once

#include <string>
#include <vector>

#include "thumbctl/client/thumb_ctl_wrapper.h"
#include "fileops/move_command.h"
#include "fileops/template_dialog.h"
#include "framework/win/dialog.h"

class CClsPreviewDlg final : public fw::Dialog {
public:
    // `cache`, when given, is handed to both thumbnail controls.
    CClsPreviewDlg(fileops::MovePlan& plan, fw::FileSystem& fs, IUnknown* cache = nullptr)
        : plan_(plan), fs_(fs), cache_(cache)
    {
    }

    // Copy or Move only for a plan that validated at that moment; Cancel otherwise.
    fileops::PreviewChoice Run(HWND owner);

protected:
    bool OnInitDialog() override;
    void OnOk() override;
    bool OnCommand(UINT id, UINT code, HWND control) override;
    bool OnMessage(UINT message, WPARAM wp, LPARAM lp, LRESULT& result) override;

private:
    struct Anchor {
        int id;
        bool moveX;
        bool moveY;
        bool sizeX;
        bool sizeY;
        RECT rect;  // at opening, in client coordinates
    };

    HWND List() const;
    size_t RowOf(int item) const;
    std::vector<int> SelectedItems() const;
    void ShowName(int item);

    void FillList();
    void CreateThumbnails();
    void RecordAnchors();
    void ApplyAnchors(int width, int height);

    void ShowFocused();
    void ShowCheck();
    void Finish(INT_PTR code);
    void Exclude();
    void StartRename();
    void BatchRename();
    bool OnNotify(const NMHDR& header, LRESULT& result);

    fileops::MovePlan& plan_;
    fw::FileSystem& fs_;
    IUnknown* cache_;
    CClsTemplateDlg template_;
    CVelmoraThumbCtl thumbs_[2];
    std::string shown_[2];  // what each thumbnail shows
    std::vector<Anchor> anchors_;
    SIZE client_{};    // client size at opening
    POINT minimum_{};  // window size at opening
};

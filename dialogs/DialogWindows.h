#pragma once
// The windows of the dialogs, one runner per record kind: each shows its window on a
// copy of the record and writes the copy back only on OK.

namespace corvia {

class AugmentDlg;
class CPolyhedraDialog;
class CTableDialog;
class CTorusDialog;
class CWatermanDialog;
class CZonohedrifyDialog;
class FontOptionsDlg;
class LayoutDlg;
class SphereCylinderDlg;
class SpheresDlg;
class TransitionsDlg;

bool RunPolyhedraWindow(CPolyhedraDialog& values);
bool RunAugmentWindow(AugmentDlg& values);
bool RunTorusWindow(CTorusDialog& values);
bool RunWatermanWindow(CWatermanDialog& values);
bool RunZonohedrifyWindow(CZonohedrifyDialog& values);
bool RunTableWindow(CTableDialog& values);
bool RunLayoutWindow(LayoutDlg& values);
bool RunSpheresWindow(SpheresDlg& values);
bool RunFontOptionsWindow(FontOptionsDlg& values);

// The modeless ones: opened, or brought forward when open.
void ShowSphereCylinderWindow(SphereCylinderDlg& values);
void ShowTransitionsWindow(TransitionsDlg& values);

}  // namespace corvia

#pragma once
// Command ids that the window code names. The ids are those of the menu resource;
// the commands it has no id for are numbered from 33560 on (the faceting code chose
// 33560 for the isohedral criteria).

#include "stellation/Faceting.h"

namespace corvia {

// ---- Frame, bars and layouts ----
constexpr int kCmdChooseLayout = 32832;
constexpr int kCmdLayout1 = 32826;  // Ctrl+1
constexpr int kCmdLayout2 = 32827;  // Ctrl+2
constexpr int kCmdLayout3 = 32828;  // Ctrl+3: 2, 4, 3
constexpr int kCmdLayout4 = 32829;  // Ctrl+4: 5, 7, 6
constexpr int kCmdLayout5 = 32830;  // Ctrl+5: 9, 8
constexpr int kCmdLayout6 = 32831;  // Ctrl+6
constexpr int kCmdShowMainToolbar = 32956;
constexpr int kCmdShowTourToolbar = 33481;
constexpr int kCmdShowOptionToolbar = 33103;
constexpr int kCmdShowModeToolbar = 33084;
constexpr int kCmdShowViewToolbar = 32955;
constexpr int kCmdShowModelInfo = 32963;
constexpr int kCmdShowTourList = 33486;
constexpr int kCmdExportImage = 33059;
constexpr int kCmdHelpManual = 32980;
constexpr int kCmdAppAbout = 57664;
constexpr int kCmdHelpPaper = 33124;
constexpr int kCmdHelpForums = 33419;
constexpr int kCmdHelpFacebook = 33528;
constexpr int kCmdHelpCompanionApp = 33548;
constexpr int kCmdCheckForUpdates = 33168;
constexpr int kCmdAppExit = 57665;
constexpr int kCmdRecentFile = 57616;
constexpr int kCmdChooseGeomagStyle = 33169;
// The eleven construction-toy edge styles, in style order 0 to 10.
constexpr int kCmdGeomagStyles[11] = {33161, 33162, 33163, 33164, 33165, 33166, 33167, 33209, 33210, 33211, 33213};

// ---- Commands the menu resource names without an id ----
constexpr int kCmdFacetingIsohedral = kCommandFacetingIsohedral;  // 33560
constexpr int kCmdExportMetricData = 33561;
constexpr int kCmdUseDefaultCamera = 33562;
constexpr int kCmdOrthogonalView = 33563;
constexpr int kCmdRotateAroundX = 33564;
constexpr int kCmdRotateAroundY = 33565;
constexpr int kCmdRotateAroundZ = 33566;
constexpr int kCmdSubdivideFaces = 33567;
constexpr int kCmdGeodesicSphere = 33568;
constexpr int kCmdCreateTorus = 33569;
constexpr int kCmdFacetingTidyAndDuals = 33570;
constexpr int kCmdFacetingTidy = 33571;
constexpr int kCmdFacetingCoplanarVerts = 33572;
constexpr int kCmdFacetingMinTypes = 33573;
constexpr int kCmdFacetingMaxTypes = 33574;
constexpr int kCmdFacetingPartial = 33575;
constexpr int kCmdFacetingSpiky = 33576;
constexpr int kCmdFacetingStepFacetings = 33577;
constexpr int kCmdFacetingStepEdges = 33578;
constexpr int kCmdFacetingStepPlanes = 33579;
constexpr int kCmdFacetingStepFacets = 33580;
constexpr int kCmdFacetingHideDiagram = 33581;
constexpr int kCmdFacetingHideVertices = 33582;
constexpr int kCmdShowStellationVertices = 33583;
constexpr int kCmdShowStellationEdges = 33584;
constexpr int kCmdShowReflectionNormals = 33585;
constexpr int kCmdShowMidsphere = 33586;
constexpr int kCmdShowSphereIntersections = 33587;
constexpr int kCmdCoplanarStencil = 33588;
constexpr int kCmdCoplanarOffset = 33589;
constexpr int kCmdBackgroundFitWithin = 33590;  // the six fits in "BGImageFit" order
constexpr int kCmdBackgroundFitAround = 33591;
constexpr int kCmdBackgroundFitWidth = 33592;
constexpr int kCmdBackgroundFitHeight = 33593;
constexpr int kCmdBackgroundStretch = 33594;
constexpr int kCmdBackgroundActualSize = 33595;
constexpr int kCmdFillCrossSection = 33596;
constexpr int kCmdSectionInModelNever = 33597;  // the three choices in their stored order
constexpr int kCmdSectionInModelWhenOpen = 33598;
constexpr int kCmdSectionInModelAlways = 33599;
constexpr int kCmdOriginalStellation = 33600;
constexpr int kCmdAutoFrameStellation = 33601;
constexpr int kCmdShowFaceNumbers = 33602;  // diagnostic bits 0x1 to 0x20 in order
constexpr int kCmdShowFaceTypeNumbers = 33603;
constexpr int kCmdShowVertexNumbers = 33604;
constexpr int kCmdShowVertexTypeNumbers = 33605;
constexpr int kCmdShowEdgeNumbers = 33606;
constexpr int kCmdShowEdgeTypeNumbers = 33607;
constexpr int kCmdShowFaceletNumbers = 33608;
constexpr int kCmdShowFaceletTypeNumbers = 33609;
constexpr int kCmdShowFrameTime = 33610;
constexpr int kCmdFacetingEnumerate = 33620;
constexpr int kCmdShowDiagramCoords = 33276;
constexpr int kCmdCreateConvexHull = 33640;
constexpr int kCmdCreateConvexCore = 33641;
constexpr int kCmdZonohedrify = 33642;
constexpr int kCmdCreateWaterman = 33643;
constexpr int kCmdAddMirrorImage = 33644;
constexpr int kCmdAddBaseAndDual = 33645;
constexpr int kCmdStoreInMemory = 33646;
constexpr int kCmdRetrieveFromMemory = 33647;
constexpr int kCmdSwapWithMemory = 33648;
constexpr int kCmdAddFromMemory = 33649;
constexpr int kCmdBlendWithMemory = 33650;
constexpr int kCmdDeleteOnePartOfCompound = 33126;

// ---- The scale commands of the active pane (reached from the information tree) ----
constexpr int kCmdScaleMidradius = 33630;
constexpr int kCmdScaleBaseRadius = 33631;
constexpr int kCmdScaleBaseSurfaceArea = 33632;
constexpr int kCmdScaleBaseVolume = 33633;
constexpr int kCmdScaleDualInradius = 33634;
constexpr int kCmdScaleDualRadius = 33635;
constexpr int kCmdScaleDualSurfaceArea = 33636;
constexpr int kCmdScaleDualVolume = 33637;

// The range of command ids, for handlers of every command.
constexpr int kFirstCommandId = 32768;
constexpr int kLastCommandId = 59999;

}  // namespace corvia

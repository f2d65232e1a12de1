// The skin UI layer: everything a window built from a skin layout needs.
#pragma once

#include "duilib/UIDefine.h"
#include "duilib/UIString.h"
#include "duilib/UIManager.h"
#include "duilib/UIControl.h"
#include "duilib/UIContainer.h"
#include "duilib/UIControls.h"
#include "duilib/UIList.h"
#include "duilib/UIDlgBuilder.h"
#include "duilib/UIBase.h"
#include "duilib/WindowImplBase.h"
#include "duilib/UIMenu.h"

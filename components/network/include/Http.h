// Everything of the Http:: component in one include.
#pragma once

#include "http/action.h"
#include "http/base.h"
#include "http/response.h"
#include "http/router.h"
#include "http/task.h"
#include "http/url.h"

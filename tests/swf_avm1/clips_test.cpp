#include "tests/swf_avm1/vm_fixture.h"

// Where a rectangular item stands: in the line, or floating at an edge of the column.
#pragma once

enum TRVVAlign { rvvaBaseline, rvvaMiddle, rvvaAbsTop, rvvaAbsBottom, rvvaAbsMiddle, rvvaLeft, rvvaRight };

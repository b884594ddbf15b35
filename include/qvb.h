/* The public interface of the flexible-body library (C, C++ and Fortran hosts). */
#ifndef QVB_H
#define QVB_H

#include "qvb/qvb_export.h"
#include "qvb/qvb_messages.h"
#include "qvb/qvb_interface.h"
#include "qvb/qvb_util.h"
#include "qvb/qvb_units.h"
#include "qvb/qvb_fortran.h"
#include "qvb/qvb_convert.h"
#include "qvb/qvb_compare.h"
#include "qvb/qvb_coarsen.h"
#include "qvb/qvb_database.h"

#endif

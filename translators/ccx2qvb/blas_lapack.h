// The BLAS and LAPACK routines the translator calls (Fortran names; the
// trailing lengths are those of the character arguments).
#pragma once

#include <cstddef>

extern "C" {
void dgemm_(const char *transa, const char *transb, const int *m, const int *n, const int *k, const double *alpha,
            const double *a, const int *lda, const double *b, const int *ldb, const double *beta, double *c,
            const int *ldc, std::size_t, std::size_t);
void dsygv_(const int *itype, const char *jobz, const char *uplo, const int *n, double *a, const int *lda, double *b,
            const int *ldb, double *w, double *work, const int *lwork, int *info, std::size_t, std::size_t);
void dsyev_(const char *jobz, const char *uplo, const int *n, double *a, const int *lda, double *w, double *work,
            const int *lwork, int *info, std::size_t, std::size_t);
}

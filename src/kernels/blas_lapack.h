// The BLAS and LAPACK routines the project calls, declared once, in the
// Fortran interface that every implementation has: arguments by address,
// matrices column-major, and after the declared arguments the hidden
// lengths of the character arguments, one per character argument, in order.
// Link the target qvb_lapack (cmake/blas_lapack.cmake).
#pragma once

#include <cstddef>

extern "C" {

// C = alpha A^T A + beta C (trans "T") or alpha A A^T + beta C ("N"), the
// uplo triangle of C only.
void dsyrk_(const char *uplo, const char *trans, const int *n, const int *k, const double *alpha, const double *a,
            const int *lda, const double *beta, double *c, const int *ldc, std::size_t uploLength,
            std::size_t transLength);

// C = alpha op(A) op(B) + beta C.
void dgemm_(const char *transa, const char *transb, const int *m, const int *n, const int *k, const double *alpha,
            const double *a, const int *lda, const double *b, const int *ldb, const double *beta, double *c,
            const int *ldc, std::size_t transaLength, std::size_t transbLength);

// The generalized symmetric-definite eigenproblem A x = lambda B x (itype
// 1): eigenvalues in w, ascending, and with jobz "V" the B-orthonormal
// eigenvectors in A.
void dsygv_(const int *itype, const char *jobz, const char *uplo, const int *n, double *a, const int *lda, double *b,
            const int *ldb, double *w, double *work, const int *lwork, int *info, std::size_t jobzLength,
            std::size_t uploLength);

// The symmetric eigenproblem A x = lambda x: eigenvalues in w, ascending,
// and with jobz "V" the orthonormal eigenvectors in A.
void dsyev_(const char *jobz, const char *uplo, const int *n, double *a, const int *lda, double *w, double *work,
            const int *lwork, int *info, std::size_t jobzLength, std::size_t uploLength);

}  // extern "C"

      PROGRAM P
      INTEGER N
      REAL X
      LOGICAL L
      WRITE (6, 100) N, X
      WRITE (6, 100) N, L
  100 FORMAT (I5, F8.2)
      END

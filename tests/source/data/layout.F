C     Fixed-form statements laid out over lines: a FORMAT list after the
C     continuation mark of the line below its keyword, comment and
C     preprocessor lines between the lines of a statement.
      PROGRAM LAYOUT
      INTEGER N
      REAL X
      N = 3
      X = 1.5
      WRITE (6, 900) N, X
  900 FORMAT
#ifdef VERBOSE
C     the verbose build prints the same record
#endif
     +   (3X, 'count',
     +    I5, 2X, F7.2)
      WRITE (6, 910) N
  910 FORMAT ! the short record
     &(1X, I3)
      WRITE (6, '(1X, ''n ='',
#define UNUSED 1
     +  I4)') N
      END

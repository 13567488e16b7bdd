;;; emacs_eglot_test.el --- quillmark-eglot in a batch Emacs  -*- lexical-binding: t; -*-

;; Run by emacs_eglot_test.sh: opens the Fortran file, starts the server
;; through Eglot as registered by quillmark-eglot.el, asks for a hover and a
;; definition, reads the Flymake diagnostics, and exits with 0 when all are
;; as the file says, 1 with the reason otherwise.

(require 'cl-lib)
;; the server as built, set before the plug-in defines its default
(defvar quillmark-eglot-program (getenv "QUILLMARK_LSP"))
(require 'quillmark-eglot)

(defun quillmark-test-fail (format-string &rest args)
  (princ (concat "FAIL: " (apply #'format format-string args) "\n") #'external-debugging-output)
  (kill-emacs 1))

;; The file's folder is its project, without a version control system.
(add-hook 'project-find-functions (lambda (dir) (cons 'transient dir)))

(find-file (getenv "QUILLMARK_SOURCE"))
(unless (eq major-mode 'fortran-mode)
  (quillmark-test-fail "the file opened in %s" major-mode))
(apply #'eglot (eglot--guess-contact))
(unless (eglot-current-server)
  (quillmark-test-fail "no server for the buffer"))

(defun quillmark-test-request (method line character)
  (jsonrpc-request (eglot-current-server) method
                   (list :textDocument (eglot--TextDocumentIdentifier)
                         :position (list :line line :character character))))

;; line 7 (0-based 6): "  100 FORMAT (I5, F8.2)"; F8.2 at character 18
(let* ((hover (quillmark-test-request :textDocument/hover 6 19))
       (text (plist-get (plist-get hover :contents) :value)))
  (unless (and text (string-match-p "F8\\.2: real, 8 wide, 2 decimals" text)
               (string-match-p "WRITE (6, 100) at line 6: 2 items, 1 record: edits L" text))
    (quillmark-test-fail "hover: %S" hover)))
(let* ((definition (quillmark-test-request :textDocument/definition 4 17))
       (location (if (vectorp definition) (aref definition 0) definition)))
  (unless (equal (plist-get (plist-get (plist-get location :range) :start) :line) 6)
    (quillmark-test-fail "definition: %S" definition)))
(let ((deadline (+ (float-time) 20)))
  (while (and (null (flymake-diagnostics)) (< (float-time) deadline))
    (accept-process-output nil 0.1)))
(let ((diagnostics (flymake-diagnostics)))
  (unless (and (= (length diagnostics) 1)
               (= (line-number-at-pos (flymake-diagnostic-beg (car diagnostics))) 6)
               (string-match-p "got LOGICAL" (flymake-diagnostic-text (car diagnostics))))
    (quillmark-test-fail "diagnostics: %S" (mapcar #'flymake-diagnostic-text diagnostics))))
(eglot-shutdown (eglot-current-server))
(kill-emacs 0)
;;; emacs_eglot_test.el ends here

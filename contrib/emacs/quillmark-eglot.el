;;; quillmark-eglot.el --- quillmark-lsp for the Fortran modes through Eglot  -*- lexical-binding: t; -*-

;; Copyright (C) 2026 the Quillmark authors

;; Author: the Quillmark authors
;; Version: 0.1.0
;; Package-Requires: ((emacs "26.3") (eglot "1.9"))
;; Keywords: languages, fortran, tools
;; SPDX-License-Identifier: MIT

;; This file is not part of GNU Emacs.  It is free software under the MIT
;; licence; see the file LICENSE that comes with Quillmark.

;;; Commentary:

;; Registers quillmark-lsp, the Fortran FORMAT language server, with Eglot
;; for `fortran-mode' and `f90-mode': M-x eglot in a Fortran buffer (or
;; `eglot-ensure' in the modes' hooks) starts it.  Eldoc then shows what the
;; edit descriptor at point prints and which items it edits, Flymake the
;; findings of the format check, and M-. goes from a WRITE's label to its
;; FORMAT statement.
;;
;; In your init file:
;;
;;   (require 'quillmark-eglot)
;;   (add-hook 'fortran-mode-hook #'eglot-ensure)
;;   (add-hook 'f90-mode-hook #'eglot-ensure)
;;
;; `quillmark-eglot-program' names the server when it is not on PATH;
;; `quillmark-eglot-settings' goes to it as its initialization options
;; (for instance (:exactSamples t)).

;;; Code:

(require 'eglot)

(defgroup quillmark-eglot nil
  "The Fortran FORMAT language server through Eglot."
  :group 'tools)

(defcustom quillmark-eglot-program "quillmark-lsp"
  "The quillmark-lsp program."
  :type 'string)

(defcustom quillmark-eglot-settings nil
  "The server's settings, a plist: :strictTable, :sourceForm, :exactSamples."
  :type 'plist)

(defclass quillmark-eglot-server (eglot-lsp-server) ()
  "quillmark-lsp, with its settings as initialization options.")

(cl-defmethod eglot-initialization-options ((_server quillmark-eglot-server))
  "The settings of `quillmark-eglot-settings', or an empty object."
  (or quillmark-eglot-settings eglot--{}))

(defun quillmark-eglot-contact (&optional _interactive)
  "How Eglot starts the server: `quillmark-eglot-program' as it is set now."
  (list 'quillmark-eglot-server quillmark-eglot-program))

;; Before the modes' other servers (fortls), which offer none of this.
(add-to-list 'eglot-server-programs '((fortran-mode f90-mode) . quillmark-eglot-contact))

(provide 'quillmark-eglot)
;;; quillmark-eglot.el ends here

; Example menu program for a Romvane cartridge.
;
; Lists the titles of the game table (Gamedef.inc, written by the builder) and starts the
; one the cursor is on: Up and Down move the cursor, Start or A starts the game. Titles are
; GBK text; the font holds ASCII only, so every other character shows as a box.

.include "registers.inc"

VISIBLE_ROWS = 24           ; list rows on screen
FIRST_ROW    = 3            ; screen row of the first list row
TITLE_COLUMN = 4
TITLE_WIDTH  = 26
CURSOR_COLUMN = 2
CURSOR_TILE  = '>'
NO_GLYPH     = $7F          ; the box shown for characters the font lacks
MENU_BANK    = $3D          ; 8 KB bank of the menu's first part, the game table
; 1 KB page of the font in the ROM: the menu is the top 0x6000 bytes of the first 512 KB,
; and the font starts 0x4000 bytes into it.
FONT_PAGE    = ($80000 - $6000 + $4000) / $400

.segment "ZEROPAGE"
game_ptr:   .res 2          ; descriptor of the chosen game, for GameSub
launch_vec: .res 2          ; its start routine
ptr:        .res 2
game_count: .res 1
cursor:     .res 1          ; selected game
top:        .res 1          ; game shown on the first list row
old_cursor: .res 1
pad:        .res 1
pad_prev:   .res 1
pressed:    .res 1          ; buttons that went down this frame
frames:     .res 1          ; counted by the NMI
row_game:   .res 1
row_left:   .res 1
temp:       .res 1

.segment "GAMES"
.include "Gamedef.inc"

.segment "FONT"
.incbin "font.chr"

.segment "CODE"

reset:
    sei
    cld
    ldx #$40
    stx APU_FRAME
    ldx #$FF
    txs
    inx
    stx PPU_CTRL
    stx PPU_MASK
    stx APU_DMC
    ; A 512 KB window on the first page; the game table's bank at $A000.
    stx OUTER_BANK
    stx PRG_BASE
    stx PRG_SIZE
    lda #MENU_BANK
    sta PRG_BANK_A000
    jsr wait_vblank
    ; Clear the RAM while the picture processor warms up.
    txa
@clear:
    sta $0000,x
    sta $0200,x
    sta $0300,x
    sta $0400,x
    sta $0500,x
    sta $0600,x
    sta $0700,x
    inx
    bne @clear
    jsr wait_vblank
    jsr map_font
    jsr count_games
    jsr load_palette
    jsr draw_screen
    jsr show

main_loop:
    jsr wait_frame
    jsr read_pad
    lda pressed
    and #PAD_START | PAD_A
    beq @move
    lda game_count
    beq main_loop           ; an empty cartridge has nothing to start
    jmp start_game
@move:
    lda cursor
    sta old_cursor
    lda pressed
    and #PAD_DOWN
    beq @up
    ldx cursor
    inx
    cpx game_count
    bcs @up
    stx cursor
@up:
    lda pressed
    and #PAD_UP
    beq @moved
    lda cursor
    beq @moved
    dec cursor
@moved:
    lda cursor
    cmp old_cursor
    beq main_loop
    jsr follow_cursor
    jmp main_loop

; Keeps the cursor on screen: a move past either end of the shown rows scrolls the list
; and redraws it with the picture off; otherwise only the two cursor cells change.
follow_cursor:
    lda cursor
    cmp top
    bcc @scroll_to
    sec
    sbc #VISIBLE_ROWS - 1
    bcc @cells
    beq @cells
    cmp top
    bcc @cells
    beq @cells
    bcs @scroll
@scroll_to:
    lda cursor
@scroll:
    sta top
    lda #0
    sta PPU_MASK
    jsr draw_list
    jmp show
@cells:
    lda old_cursor
    ldx #' '
    jsr put_cursor
    lda cursor
    ldx #CURSOR_TILE
    jsr put_cursor
    jmp scroll_home

; Writes tile X into the cursor cell of game A's row (A is on screen).
put_cursor:
    sec
    sbc top
    jsr row_address
    lda ptr+1
    sta PPU_ADDR
    lda ptr
    clc
    adc #CURSOR_COLUMN
    sta PPU_ADDR
    stx PPU_DATA
    rts

; ptr = name table address of list row A.
row_address:
    clc
    adc #FIRST_ROW
    sta ptr
    lda #0
    sta ptr+1
    ldy #5
@shift:
    asl ptr
    rol ptr+1
    dey
    bne @shift
    lda ptr+1
    ora #$20
    sta ptr+1
    rts

; Points the background's tile pages at the font inside the menu. The chip takes the
; pages at their own registers; some emulators only through the MMC3 interface.
map_font:
    lda #((FONT_PAGE >> 8) << 4) & $70
    sta CHR_HIGH
    lda #0
    sta CHR_BANK_SIZE
    sta MMC3_SELECT
    lda #<FONT_PAGE
    sta CHR_PAGE_0000
    sta MMC3_DATA
    rts

count_games:
    ldx #0
@next:
    txa
    asl a
    tay
    bcs @done               ; at most 128 entries are looked at
    lda _GamesDefine,y
    ora _GamesDefine+1,y
    beq @done
    inx
    bne @next
@done:
    stx game_count
    rts

load_palette:
    bit PPU_STATUS
    lda #$3F
    sta PPU_ADDR
    lda #$00
    sta PPU_ADDR
    ldx #0
@copy:
    lda palette,x
    sta PPU_DATA
    inx
    cpx #palette_end - palette
    bne @copy
    rts

palette:
    .byte $0F, $30, $21, $16
palette_end:

; The heading and the list on a cleared name table; the picture is off.
draw_screen:
    bit PPU_STATUS
    lda #$20
    sta PPU_ADDR
    lda #$00
    sta PPU_ADDR
    tax
    ldy #4                  ; 1 KB: tiles and attributes
@clear:
    sta PPU_DATA
    inx
    bne @clear
    dey
    bne @clear
    lda #$20
    sta PPU_ADDR
    lda #$20 + TITLE_COLUMN
    sta PPU_ADDR
    ldx #0
@heading:
    lda heading,x
    beq draw_list
    sta PPU_DATA
    inx
    bne @heading

heading:
    .byte "GAMES", 0

; Redraws every list row; the picture is off.
draw_list:
    lda #0
    sta temp
@row:
    lda temp
    jsr draw_row
    inc temp
    lda temp
    cmp #VISIBLE_ROWS
    bne @row
    rts

; Draws list row A: cursor cell and title of game top + A, or blanks past the end.
draw_row:
    pha
    jsr row_address
    bit PPU_STATUS
    lda ptr+1
    sta PPU_ADDR
    lda ptr
    sta PPU_ADDR
    pla
    clc
    adc top
    sta row_game
    ldx #TITLE_COLUMN
    lda #' '
@lead:
    sta PPU_DATA
    dex
    bne @lead
    lda row_game
    cmp game_count
    bcs @blank
    cmp cursor
    bne @title
    ; The cursor cell is the third of the leading blanks.
    lda ptr+1
    sta PPU_ADDR
    lda ptr
    ora #CURSOR_COLUMN
    sta PPU_ADDR
    lda #CURSOR_TILE
    sta PPU_DATA
    lda #' '
    sta PPU_DATA
@title:
    jsr title_pointer
    ldx #TITLE_WIDTH
    ldy #0
@char:
    lda (ptr),y
    beq @pad
    iny
    cmp #$80
    bcc @ascii
    ; A GBK character: lead byte and, unless the text ends, its trail byte.
    lda (ptr),y
    beq @box
    iny
@box:
    lda #NO_GLYPH
    bne @put
@ascii:
    cmp #' '
    bcs @put
    lda #' '
@put:
    sta PPU_DATA
    dex
    bne @char
    rts
@blank:
    ldx #TITLE_WIDTH
@pad:
    lda #' '
@fill:
    sta PPU_DATA
    dex
    bne @fill
    rts

; ptr = the title of game row_game: it follows the descriptor's six bytes and the
; start routine's address.
title_pointer:
    lda row_game
    asl a
    tay
    lda _GamesDefine,y
    clc
    adc #8
    sta ptr
    lda _GamesDefine+1,y
    adc #0
    sta ptr+1
    rts

; Turns the picture on at the next vertical blank.
show:
    jsr wait_vblank
    jsr scroll_home
    lda #%00001010          ; background, left column included
    sta PPU_MASK
    rts

scroll_home:
    lda #%10000000          ; NMI on, name table $2000, tiles at $0000
    sta PPU_CTRL
    lda #0
    sta PPU_SCROLL
    sta PPU_SCROLL
    rts

start_game:
    lda cursor
    asl a
    tay
    lda _GamesDefine,y
    sta game_ptr
    lda _GamesDefine+1,y
    sta game_ptr+1
    ; The start routine's address follows the six descriptor bytes.
    ldy #6
    lda (game_ptr),y
    sta launch_vec
    iny
    lda (game_ptr),y
    sta launch_vec+1
    jmp (launch_vec)        ; GameSub, with game_ptr naming the game

wait_vblank:
    bit PPU_STATUS
@wait:
    bit PPU_STATUS
    bpl @wait
    rts

; Waits for the next NMI.
wait_frame:
    lda frames
@wait:
    cmp frames
    beq @wait
    rts

; pressed = the buttons that went down since the last read.
read_pad:
    lda pad
    sta pad_prev
    lda #1
    sta JOYPAD1
    lda #0
    sta JOYPAD1
    ldx #8
@bit:
    lda JOYPAD1
    lsr a
    rol pad
    dex
    bne @bit
    lda pad_prev
    eor #$FF
    and pad
    sta pressed
    rts

nmi:
    inc frames
irq:
    rti

.segment "VECTORS"
    .word nmi, reset, irq
